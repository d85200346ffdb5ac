#include "prompts/Prompts.h"

// Out of line, so the interface's vtable has one home.
Prompts::~Prompts() = default;

std::optional<BidsExportChoice> Prompts::BidsExportSettings(const BidsExportChoice&) { return std::nullopt; }

std::optional<QString> Prompts::AskText(const QString&, const QString&) { return std::nullopt; }
