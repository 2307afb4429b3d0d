#include "shell/style/Symbols.h"

#include "shell/style/Fonts.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>

#include <array>

namespace symbols {

namespace {

// Design name -> Material Icons glyph (code points from the font's own codepoint list).
constexpr std::array kTable = std::to_array<Entry>({
    // Files and folders
    {"folder.fill", 0xe2c7},           // folder
    {"folder", 0xe2c8},                // folder_open
    {"doc", 0xe24d},                   // insert_drive_file
    {"doc.fill", 0xe24d},              // insert_drive_file
    {"doc.text.fill", 0xe873},         // description
    {"doc.plaintext.fill", 0xef42},    // article
    {"doc.on.doc", 0xe14d},            // content_copy
    {"doc.on.clipboard.fill", 0xe14f}, // content_paste
    // File categories
    {"play.rectangle.fill", 0xf06a},                     // smart_display
    {"waveform", 0xe1b8},                                // graphic_eq
    {"photo.fill", 0xe3f4},                              // image
    {"chevron.left.forwardslash.chevron.right", 0xe86f}, // code
    {"shippingbox.fill", 0xe1a1},                        // inventory_2
    {"app.fill", 0xe5c3},                                // apps
    {"gearshape.fill", 0xe8b8},                          // settings
    // Places and scanning
    {"internaldrive.fill", 0xe1db},     // storage
    {"internaldrive", 0xe1db},          // storage
    {"house.fill", 0xe88a},             // home
    {"clock.arrow.circlepath", 0xe889}, // history
    {"magnifyingglass", 0xe8b6},        // search
    {"lock.fill", 0xe897},              // lock
    // Navigation and actions
    {"chevron.left", 0xe5cb},            // chevron_left
    {"chevron.right", 0xe5cc},           // chevron_right
    {"chevron.down", 0xe5cf},            // expand_more
    {"chevron.up", 0xe5ce},              // expand_less
    {"arrow.up.forward.square", 0xe89e}, // open_in_new
    {"sidebar.right", 0xf114},           // view_sidebar
    {"sun.max.fill", 0xe518},            // light_mode
    {"moon.fill", 0xe51c},               // dark_mode
    {"xmark", 0xe5cd},                   // close
    {"xmark.circle", 0xe888},            // highlight_off
    {"xmark.circle.fill", 0xe5c9},       // cancel
    {"checkmark", 0xe5ca},               // check
    {"checkmark.circle.fill", 0xe86c},   // check_circle
    {"plus", 0xe145},                    // add
    {"plus.circle", 0xe148},             // add_circle_outline
    {"trash", 0xe92e},                   // delete_outline
    {"trash.fill", 0xe872},              // delete
    {"eye.fill", 0xe8f4},                // visibility
    {"scope", 0xe1b3},                   // gps_fixed
    {"tray", 0xe156},                    // inbox
    {"tray.2.fill", 0xe97f},             // all_inbox
    // Tabs
    {"square.grid.2x2", 0xe9b0},      // grid_view
    {"macwindow.badge.plus", 0xe05c}, // add_to_queue
    {"waveform.path.ecg", 0xeaa2},    // monitor_heart
    // Visualisation modes
    {"square.grid.2x2.fill", 0xe871},                         // dashboard
    {"smallcircle.filled.circle", 0xe917},                    // donut_large
    {"circle.hexagongrid.fill", 0xe6dd},                      // bubble_chart
    {"point.3.filled.connected.trianglepath.dotted", 0xe9f4}, // hub
    {"chart.bar.fill", 0xe26b},                               // bar_chart
    {"calendar", 0xe935},                                     // calendar_today
    {"list.bullet.rectangle", 0xe0ee},                        // list_alt
    // Colour modes and controls
    {"square.on.square", 0xe3e0},   // filter_none
    {"clock", 0xe8b5},              // schedule
    {"square.3.layers.3d", 0xe53b}, // layers
    // Quick wins
    {"arrow.down.circle.fill", 0xf000}, // download_for_offline
    {"iphone", 0xe325},                 // phone_iphone
    {"photo.stack.fill", 0xe8a7},       // perm_media (large media)
    {"cube.fill", 0xe9fe},              // view_in_ar
    {"hammer.fill", 0xea59},            // hardware
    // Monitor
    {"cpu", 0xe322},        // memory (a chip)
    {"memorychip", 0xe30d}, // developer_board
    {"wifi", 0xe63e},       // wifi
});

const QHash<QString, QString>& glyphs() {
    static const QHash<QString, QString> map = [] {
        QHash<QString, QString> m;
        for (const Entry& e : kTable) {
            const char32_t cp = e.codepoint;
            m.insert(QString::fromLatin1(e.name), QString::fromUcs4(&cp, 1));
        }
        return m;
    }();
    return map;
}

} // namespace

std::span<const Entry> table() {
    return kTable;
}

QString glyph(const QString& name) {
    return glyphs().value(name);
}

bool known(const QString& name) {
    return glyphs().contains(name);
}

QSizeF size(const QString& name, double textSize) {
    if (!known(name)) return {};
    const QFontMetricsF metrics(fonts::symbol(textSize));
    return {metrics.horizontalAdvance(glyph(name)), metrics.height()};
}

void paint(QPainter& painter, const QRectF& rect, const QString& name, double textSize, const QColor& color) {
    const QString text = glyph(name);
    if (text.isEmpty()) return;
    painter.save();
    painter.setFont(fonts::symbol(textSize));
    painter.setPen(color);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
}

} // namespace symbols
