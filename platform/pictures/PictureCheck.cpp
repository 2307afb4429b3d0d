#include "platform/pictures/PictureCheck.h"

#include <QHash>
#include <QString>
#include <QXmlStreamReader>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace platform {
namespace {

// A gzip stream (members one after another) inflated up to `limit` bytes; nothing when it goes past,
// is cut short or damaged.
std::optional<QByteArray> inflateGzip(std::string_view bytes, size_t limit) {
    z_stream stream{};
    if (inflateInit2(&stream, MAX_WBITS + 16) != Z_OK) return std::nullopt;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    QByteArray out;
    bool ok = false;
    for (;;) {
        if (size_t(out.size()) > limit) break;
        const qsizetype used = out.size();
        out.resize(std::min<qsizetype>(used + 256 * 1024, qsizetype(limit) + 1));
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + used);
        stream.avail_out = uInt(out.size() - used);
        const int result = inflate(&stream, Z_NO_FLUSH);
        out.resize(out.size() - qsizetype(stream.avail_out));
        if (result == Z_STREAM_END) {
            if (stream.avail_in == 0) {
                ok = size_t(out.size()) <= limit;
                break;
            }
            if (inflateReset(&stream) != Z_OK) break;
        } else if (result != Z_OK || (stream.avail_in == 0 && stream.avail_out != 0)) {
            break; // damaged, or cut short
        }
    }
    inflateEnd(&stream);
    if (!ok) return std::nullopt;
    return out;
}

bool startsWith(const QByteArray& bytes, std::string_view prefix) {
    return bytes.startsWith(QByteArrayView(prefix.data(), qsizetype(prefix.size())));
}

// A picture embedded as a data URI, decoded as Qt's SVG renderer decodes it (the text after the last
// "base64,"), is handed to QImage, which would read an SVG or a JPEG unjudged: only PNG, GIF and a JPEG
// within the bound pass.
bool embeddedPictureAllowed(const QString& uri, const PictureBounds& bounds) {
    const qsizetype at = uri.lastIndexOf(QLatin1String("base64,"));
    if (at < 0) return true; // not decoded at all
    const QByteArray data = QByteArray::fromBase64(uri.mid(at + 7).toLatin1());
    if (startsWith(data, "\x89PNG\r\n\x1a\n") || startsWith(data, "GIF8")) return true;
    return startsWith(data, "\xff\xd8") &&
           jpegScansWithin({data.constData(), size_t(data.size())}, bounds.jpegScans);
}

QStringView localName(QStringView qualified) {
    const qsizetype colon = qualified.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? qualified : qualified.mid(colon + 1);
}

struct Element {
    int firstChild = -1;
    int nextSibling = -1;
    QString useTarget; // the id a <use> repeats
};

// How many elements a drawing of the document visits, each <use> counting its target's elements again;
// more than `limit` (or a <use> that reaches itself) gives limit + 1.
size_t drawnElements(const std::vector<Element>& elements, const QHash<QString, std::vector<int>>& ids,
                     size_t limit) {
    const size_t over = limit + 1;
    enum : uint8_t { unseen, open, done };
    std::vector<uint8_t> state(elements.size(), unseen);
    std::vector<size_t> count(elements.size(), 0);
    auto dependencies = [&](int e, auto visit) {
        for (int c = elements[size_t(e)].firstChild; c >= 0; c = elements[size_t(c)].nextSibling)
            visit(c);
        if (!elements[size_t(e)].useTarget.isNull())
            if (auto it = ids.find(elements[size_t(e)].useTarget); it != ids.end())
                for (int t : *it)
                    visit(t);
    };
    // Depth first without recursion: a document may nest deeper than a thread's stack.
    for (size_t root = 0; root < elements.size(); ++root) {
        if (state[root] != unseen) continue;
        std::vector<int> stack{int(root)};
        while (!stack.empty()) {
            const int e = stack.back();
            if (state[size_t(e)] == unseen) {
                state[size_t(e)] = open;
                bool cycle = false;
                dependencies(e, [&](int d) {
                    if (state[size_t(d)] == unseen)
                        stack.push_back(d);
                    else if (state[size_t(d)] == open)
                        cycle = true;
                });
                if (cycle) return over;
                continue;
            }
            stack.pop_back();
            if (state[size_t(e)] == done) continue;
            size_t sum = 1;
            dependencies(e, [&](int d) { sum = std::min(over, sum + count[size_t(d)]); });
            count[size_t(e)] = sum;
            state[size_t(e)] = done;
        }
    }
    // Every element lies below the root, so the root's count covers the drawing.
    return elements.empty() ? 0 : count[0];
}

bool selfContained(const QByteArray& document, const PictureBounds& bounds) {
    QXmlStreamReader xml(document);
    // As Qt's SVG handler reads it: prefixes are part of the names.
    xml.setNamespaceProcessing(false);
    std::vector<Element> elements;
    std::vector<int> open;
    std::vector<int> lastChild;
    QHash<QString, std::vector<int>> ids;
    int styles = 0; // open <style> elements
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (elements.size() >= bounds.svgElements) return false;
            const int index = int(elements.size());
            elements.emplace_back();
            lastChild.push_back(-1);
            if (!open.empty()) {
                const int parent = open.back();
                if (lastChild[size_t(parent)] < 0)
                    elements[size_t(parent)].firstChild = index;
                else
                    elements[size_t(lastChild[size_t(parent)])].nextSibling = index;
                lastChild[size_t(parent)] = index;
            }
            open.push_back(index);
            const QStringView name = localName(xml.qualifiedName());
            if (name == QLatin1String("style")) ++styles;
            // Qt 6.4's handler reads a reference (its xlink:href) on four elements, whatever their prefix:
            // <use> and the two gradients take it as the id of another element, and <image> as a picture,
            // embedded (data:) or else a file's path, relative to the working folder when the document
            // comes as bytes: "#pic" there is a file of that name. No other element reads one.
            const bool image = name == QLatin1String("image");
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                const QStringView key = localName(attribute.qualifiedName());
                const QString value = attribute.value().toString();
                if (key == QLatin1String("id")) ids[value].push_back(index);
                if (key.compare(QLatin1String("href"), Qt::CaseInsensitive) != 0) continue;
                if (!image && value.startsWith(QLatin1Char('#'))) {
                    if (name == QLatin1String("use")) elements.back().useTarget = value.mid(1);
                } else if (!value.startsWith(QLatin1String("data:")) ||
                           !embeddedPictureAllowed(value, bounds)) {
                    return false;
                }
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (localName(xml.qualifiedName()) == QLatin1String("style")) --styles;
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (styles > 0 && xml.text().contains(QLatin1String("@import"), Qt::CaseInsensitive))
                return false;
            break;
        case QXmlStreamReader::ProcessingInstruction:
            if (xml.processingInstructionTarget() == QLatin1String("xml-stylesheet")) return false;
            break;
        case QXmlStreamReader::DTD:
            // Internal entities are expanded by the reader Qt's handler uses too, so what they hold is
            // judged above; an external one names a file.
            for (const QXmlStreamEntityDeclaration& entity : xml.entityDeclarations())
                if (!entity.systemId().isEmpty() || !entity.publicId().isEmpty() ||
                    !entity.notationName().isEmpty())
                    return false;
            break;
        case QXmlStreamReader::EntityReference: // one it could not expand
            return false;
        default:
            break;
        }
    }
    if (xml.hasError() || elements.empty()) return false;
    return drawnElements(elements, ids, bounds.svgElements) <= bounds.svgElements;
}

} // namespace

std::optional<QByteArray> judgeSvg(std::string_view bytes, const PictureBounds& bounds) {
    std::optional<QByteArray> document;
    if (bytes.starts_with("\x1f\x8b")) {
        if (bytes.size() > bounds.svgBytes) return std::nullopt; // it inflates to more still
        document = inflateGzip(bytes, bounds.svgBytes);
    } else if (bytes.size() <= bounds.svgBytes) {
        document = QByteArray(bytes.data(), qsizetype(bytes.size()));
    }
    if (!document || !selfContained(*document, bounds)) return std::nullopt;
    return document;
}

void JpegScanCounter::feed(std::string_view piece) {
    const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
    const auto* const end = p + piece.size();
    while (p < end && state_ != State::end) {
        switch (state_) {
        case State::seek: {
            // Entropy-coded data and stray bytes alike, up to the next 0xFF.
            const void* ff = std::memchr(p, 0xff, size_t(end - p));
            if (!ff) return;
            p = static_cast<const unsigned char*>(ff) + 1;
            state_ = State::marker;
            break;
        }
        case State::marker: {
            const unsigned char code = *p++;
            if (code == 0xff) break;                                              // fill
            if (code == 0x00 || code == 0x01 || (code >= 0xd0 && code <= 0xd8)) { // stuffing, TEM, RSTn, SOI
                state_ = State::seek;
            } else if (code == 0xd9) { // the end of the image
                state_ = State::end;
            } else {
                if (code == 0xda) ++scans_; // a scan's header; its data follows
                state_ = State::length1;
            }
            break;
        }
        case State::length1:
            remaining_ = uint32_t(*p++) << 8;
            state_ = State::length2;
            break;
        case State::length2:
            remaining_ |= *p++;
            if (remaining_ < 2) {
                state_ = State::end; // the decoder stops here too
                break;
            }
            remaining_ -= 2;
            state_ = State::skip;
            break;
        case State::skip: {
            const uint32_t step = uint32_t(std::min<ptrdiff_t>(end - p, remaining_));
            p += step;
            remaining_ -= step;
            if (remaining_ == 0) state_ = State::seek;
            break;
        }
        case State::end:
            break;
        }
    }
}

bool jpegScansWithin(std::string_view bytes, int limit) {
    JpegScanCounter counter;
    counter.feed(bytes);
    return counter.scans() <= limit;
}

bool isSvgFormat(const QByteArray& format) {
    return format.startsWith("svg");
}

bool isJpegFormat(const QByteArray& format) {
    return format == "jpeg" || format == "jpg";
}

} // namespace platform
