#include "platform/Utf8Text.h"

#include <QStringDecoder>

namespace platform {

QString utf8Text(std::string_view bytes) {
    if (!bytes.starts_with("\xef\xbb\xbf")) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace platform
