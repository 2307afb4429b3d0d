#pragma once

#include "shell/PressableButton.h"

#include <QString>

// The three shared button kinds. Colours come from the current theme; sizes are in points. An empty
// symbol name or text means "none". Every one of them calls its action on a click (and emits
// clicked()).

// A secondary button with an outline, stretching to the width it is given. With a confirmation
// title, a click shows that title (and the confirmation symbol, when given) for `confirmDuration`
// seconds; a second click in that time does not extend it.
class OutlineButton : public PressableButton {
    Q_OBJECT
public:
    OutlineButton(const QString& title, const QString& systemImage, double height, double fontSize,
                  const QString& confirmTitle, const QString& confirmImage, double confirmDuration,
                  std::function<void()> action, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSystemImage(const QString& name);
    QString title() const { return title_; }
    bool isConfirming() const { return confirming_; }
    // What the button shows now (the confirmation while it lasts).
    QString shownTitle() const;
    QString shownImage() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintContent(QPainter& painter) override;
    void activate() override;

private:
    void setConfirming(bool on);

    QString title_, image_, confirmTitle_, confirmImage_;
    double height_, fontSize_, confirmDuration_;
    bool confirming_ = false;
    QString fadingTitle_, fadingImage_; // what was shown before the last change, fading out
    double fade_ = 1;                   // 0 = old content, 1 = new content
};

// The primary button: filled with the accent colour, white text.
class InkButton : public PressableButton {
    Q_OBJECT
public:
    InkButton(const QString& title, const QString& systemImage, double height, double fontSize,
              std::function<void()> action, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSystemImage(const QString& name);
    QString title() const { return title_; }
    QString systemImage() const { return image_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintContent(QPainter& painter) override;

private:
    QString title_, image_;
    double height_, fontSize_;
};

// A small toolbar button `size` wide and always 32 high, showing a symbol or, without one, a short
// label.
class SquareIconButton : public PressableButton {
    Q_OBJECT
public:
    SquareIconButton(const QString& systemImage, const QString& label, double size, std::function<void()> action,
                     QWidget* parent = nullptr);

    void setSystemImage(const QString& name);
    QString systemImage() const { return image_; }

    QSize sizeHint() const override;

protected:
    void paintContent(QPainter& painter) override;

private:
    QString image_, label_;
    double size_;
};
