#pragma once

class QLayout;
class QScrollArea;
class QWidget;

// A side column's vertical scroll: fills `owner`, shows no scroll bars (the wheel and the trackpad
// still scroll), is as wide as the column, and lets the column paint the background under `content`.
QScrollArea* makeColumnScroll(QWidget* owner, QWidget* content);

// Takes every widget out of a layout, hidden at once and deleted later: the click that led here may
// have come from one of them.
void clearLayoutLater(QLayout* layout);
