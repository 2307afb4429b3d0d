#pragma once

#include <QString>

class QLabel;
class QMessageBox;

// Names and paths are the user's, never markup: a folder named "<b>draft" shows as those characters,
// and a path spelling "<img src=…>" makes Qt read no file (a FIFO there would stall the window). Every
// text that carries one reaches a widget that could read rich text through here.
namespace plain_text {

// For QWidget::setToolTip and QToolTip::showText, which have no plain format and take a text that
// looks like markup as rich text: `text` escaped inside a rich-text wrapper that keeps its spaces and
// line breaks and does not wrap. A line wider than the screen (the narrowest, in the tip's font) keeps
// its start and its last component around an ellipsis, so a long path still shows its file's name.
// Empty stays empty (no tool tip).
QString toolTip(const QString& text);

// A label whose text is never read as rich text.
void setPlain(QLabel& label);

// A message box's text and informative text, both shown as plain text.
void setMessage(QMessageBox& box, const QString& text, const QString& informativeText);

} // namespace plain_text
