#pragma once
// Setting a label's text so that only what changed is repainted, and drawing
// large text from pictures of its characters.

#include <QLabel>
#include <QString>

// Sets the text. When the new text has the old one's length and width (the
// time, from one second to the next), only the characters that changed are
// repainted, and so sent to the display server: usually the last digit.
// A label set through here draws a plain text in a large font from a picture
// of each character, made once (see LabelText.cpp).
void setLabelText(QLabel* label, const QString& text);
