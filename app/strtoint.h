#pragma once
// Reads a whole number typed into a control (bank numbers, the bend range).
// Text that is not one throws std::runtime_error with the message the user
// sees, "'abc' is not a valid integer value"; the application's top-level
// handler shows it and the handler that asked stops there.
class QString;

// Blanks around the number are allowed, an optional sign, then decimal digits
// within the 32-bit range.
int StrToInt(const QString& text);
