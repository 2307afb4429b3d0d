#pragma once

#include "platform/PreviewContent.h"
#include "shell/panels/preview/PreviewReads.h"

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <optional>
#include <string>

class QTimer;
class Spinner;

// The preview window: Brenwick's own quick view of a file, one for the process. preview() shows it
// (raised) for a path; the content is read off the window's thread (PreviewReads) and the window
// follows the last request: a newer request, closing the window and the application's end stop the
// read under way, whose result is never shown. Under a header it shows one page: an image, a text, a
// folder's listing, or an info card for anything else and anything missing or unreadable; a read that
// takes longer than kSpinnerDelay (a picture being drawn) shows the spinner in the page's place until
// its answer comes. Space and Escape close it. It belongs to the main window, which closes it when it
// closes; open on its own it never keeps the application running.
class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    static PreviewWindow& instance();
    // Shows the window for a path (raw bytes).
    static void preview(const std::string& path);
    // Closes the window when there is one; makes none.
    static void dismiss();

    // The path of the last request.
    const std::string& path() const { return path_; }
    // The page shown, or none while the last request is still loading.
    std::optional<platform::PreviewPage> page() const;
    const platform::PreviewContent* content() const { return loaded_ ? &content_ : nullptr; }

    ~PreviewWindow() override;

    // An ordinary file's content arrives well within this (a picture through its worker in tens of
    // milliseconds, a text or a listing in a few), so the spinner never flashes over it; a wait this long
    // is felt, and beyond a second a blank page reads as a hang.
    static constexpr std::chrono::milliseconds kSpinnerDelay{300};

    // For tests: waits, without stopping, until no read runs; false when one still does after `msecs`.
    bool waitForReads(int msecs) { return reads_.waitForDone(msecs); }
    // For tests: the budget of a picture's worker for the requests from now on.
    void setPictureLimits(const platform::PictureWorker::Limits& limits) { reads_.setPictureLimits(limits); }

  signals:
    // The content of the last request arrived.
    void contentChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    PreviewWindow();
    void request(const std::string& path);
    void present(platform::PreviewContent content);
    void rebuild();
    QWidget* buildBody();

    std::string path_;
    bool loaded_ = false;
    platform::PreviewContent content_;
    QTimer* spinnerDelay_;
    QPointer<Spinner> spinner_; // the loading page's, shown when spinnerDelay_ times out
    PreviewReads reads_;        // last: its reads end before the rest goes
};
