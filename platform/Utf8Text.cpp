#include "platform/Utf8Text.h"

#include <QStringDecoder>

namespace platform {

QString utf8TextKeepingMark(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace platform
