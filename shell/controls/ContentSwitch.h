#pragma once

#include <QMargins>
#include <QWidget>

class EmptyState;
class QSpacerItem;
class ThemedLabel;

// What a screen shows below its header, one at a time: a message, a busy row (a small spinner and
// a line of text) or its content (a list, usually, with whatever goes along with it). The message is
// a line of secondary text at the top, or, given a symbol, an empty state centred in the area.
// Whatever does not fill the area stands at its top.
class ContentSwitch : public QWidget {
    Q_OBJECT
  public:
    struct Style {
        double messageSize = 12.5;
        QMargins messageMargins;
        Qt::Alignment messageAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        QString symbol; // when set, the message is an empty state with this symbol
    };
    enum class Shown { message, busy, content };

    // Takes `content` as its child.
    ContentSwitch(QWidget* content, const Style& style, QWidget* parent = nullptr);

    void showMessage(const QString& text);
    void showBusy(const QString& text);
    // `fills`: the content takes the height of the area, else it stands at the top.
    void showContent(bool fills = true);

    Shown shown() const { return shown_; }
    // The message while it is shown, else empty.
    QString messageText() const;

  private:
    void display(Shown shown, bool fills);

    Shown shown_ = Shown::content;
    QWidget* message_;
    ThemedLabel* label_ = nullptr;
    EmptyState* empty_ = nullptr;
    QWidget* busy_;
    ThemedLabel* busyText_;
    QWidget* content_;
    QSpacerItem* rest_;
};
