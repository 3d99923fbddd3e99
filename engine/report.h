// The principal-variation report: node count and the line as move text.
#pragma once

#include <cstdint>

// Sends ShowNodes and ShowMainline for row 0 of the principal-variation table;
// nothing when the line is empty or does not start with a legal move.
void ReportPV();

// Formats up to `limit` moves of row 0 that are legal in turn from the search
// position into `text` (each move followed by a blank); returns the count.
int32_t FormatPrincipalVariation(char* text, int32_t limit);
