#pragma once

#include "shell/controls/PressableButton.h"

#include <QString>

// The three shared button kinds. Colours come from the current theme; sizes are in points. An empty
// symbol name or text means "none". Every one of them calls its action on a click (and emits
// clicked()).

// The base of the two wide buttons: a title with an optional symbol before it, a fixed height,
// stretching to the width it is given.
class WideButton : public PressableButton {
    Q_OBJECT
  public:
    void setTitle(const QString& title);
    void setSystemImage(const QString& name);
    QString title() const { return title_; }
    QString systemImage() const { return image_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    // `symbolShrink`: how much smaller than the text the symbol is; `spacing` between them.
    WideButton(const QString& title, const QString& systemImage, double height, double fontSize,
               double symbolShrink, double spacing, std::function<void()> action, QWidget* parent);
    // What is shown now; OutlineButton shows its confirmation instead while it lasts.
    virtual QString shownTitle() const { return title_; }
    virtual QString shownImage() const { return image_; }
    void paintLabel(QPainter& painter, const QString& image, const QString& title, const QColor& color) const;

    double height_, fontSize_;

  private:
    QString title_, image_;
    double symbolShrink_, spacing_;
};

// A secondary button with an outline. With a confirmation title, a click shows that title (and the
// confirmation symbol, when given) for `confirmDuration` seconds; a second click in that time does
// not extend it.
class OutlineButton : public WideButton {
    Q_OBJECT
  public:
    // Given with designated initialisers, leaving out what keeps its default:
    // {.title = "Copy Path", .confirmTitle = "Copied"}. Every member has an initialiser, so that leaving
    // one out is not warned about.
    struct Options {
        QString title = {};
        QString systemImage = {};
        double height = 32;
        double fontSize = 12.5;
        QString confirmTitle = {};
        QString confirmImage = {};
        double confirmDuration = 1;
    };

    OutlineButton(const Options& options, std::function<void()> action, QWidget* parent = nullptr);

    bool isConfirming() const { return confirming_; }
    // Ends a confirmation still showing, as when the button comes to stand for something else.
    void endConfirmation() { setConfirming(false); }
    // What the button shows now (the confirmation while it lasts).
    QString shownTitle() const override;
    QString shownImage() const override;

  protected:
    void paintContent(QPainter& painter) override;
    void activate() override;

  private:
    void setConfirming(bool on);

    QString confirmTitle_, confirmImage_;
    double confirmDuration_;
    bool confirming_ = false;
    QString fadingTitle_, fadingImage_; // what was shown before the last change, fading out
    double fade_ = 1;                   // 0 = old content, 1 = new content
};

// The primary button: filled with the accent colour, white text.
class InkButton : public WideButton {
    Q_OBJECT
  public:
    InkButton(const QString& title, const QString& systemImage, double height, double fontSize,
              std::function<void()> action, QWidget* parent = nullptr);

  protected:
    void paintContent(QPainter& painter) override;
};

// A small toolbar button `size` wide and always 32 high, showing a symbol or, without one, a short
// label.
class SquareIconButton : public PressableButton {
    Q_OBJECT
  public:
    SquareIconButton(const QString& systemImage, const QString& label, double size,
                     std::function<void()> action, QWidget* parent = nullptr);

    void setSystemImage(const QString& name);
    QString systemImage() const { return image_; }

    QSize sizeHint() const override;

  protected:
    void paintContent(QPainter& painter) override;

  private:
    QString image_, label_;
    double size_;
};
