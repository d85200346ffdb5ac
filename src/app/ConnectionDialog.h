#pragma once

#include "prompts/Prompts.h"

class TForm2;

// Prepares "Connection Settings" for a showing: the sensors offered with
// the last one chosen preselected (else the first), OK only when there is a
// sensor to choose, and the rate item.
void FillConnectionDialog(TForm2& dialog, const ConnectionOffer& offer);

// What the dialog holds after OK.
ConnectionChoice ReadConnectionDialog(const TForm2& dialog);
