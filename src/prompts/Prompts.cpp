#include "prompts/Prompts.h"

// Out of line, so the interface's vtable has one home.
Prompts::~Prompts() = default;

void Prompts::BidsExportSettings(const BidsExportChoice&, Answered<std::optional<BidsExportChoice>> answered) {
    answered(std::nullopt);
}

void Prompts::AskText(const QString&, const QString&, Answered<std::optional<QString>> answered) {
    answered(std::nullopt);
}

void Prompts::Acknowledge(const QString& text, Answered<bool> answered) {
    Notice(text);
    answered(true);
}
