#include "Qt_Command_Line.h"

namespace {

std::string Dashed(const QString& name) {
    return (name.size() == 1 ? "-" : "--") + Argument_Bytes(name);
}

constexpr char16_t Escape_Base = 0xDC00;

// The length of the valid UTF-8 sequence at `at` and its code point, or 0.
std::size_t Valid_Sequence(const std::string& bytes, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

void Append_Utf8(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes += char(code);
    } else if (code < 0x800) {
        bytes += char(0xC0 | (code >> 6));
        bytes += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += char(0xE0 | (code >> 12));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    } else {
        bytes += char(0xF0 | (code >> 18));
        bytes += char(0x80 | ((code >> 12) & 0x3F));
        bytes += char(0x80 | ((code >> 6) & 0x3F));
        bytes += char(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string Parse_Command_Line(QCommandLineParser& parser, const std::vector<std::string>& args) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList list{QString()};
    for (const std::string& arg : args) {
        list << Argument_Text(arg);
    }
    if (!parser.parse(list)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            return "unknown option '" + Dashed(parser.unknownOptionNames().front()) + "'";
        }
        // Only the last argument can lack its value: any other takes the one that follows. Qt's
        // own texts are English here: neither program installs a translator.
        if (parser.errorText().startsWith(QStringLiteral("Missing value"))) {
            return args.back() + " needs a value";
        }
        return Argument_Bytes(parser.errorText().chopped(1));
    }
    for (const QString& name : parser.optionNames()) {
        if (parser.values(name).contains(QString())) {
            return Dashed(name) + " needs a value";
        }
    }
    return {};
}

QString Argument_Text(const std::string& bytes) {
    QString text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        char32_t code = byte;
        const std::size_t length = byte < 0x80 ? 1 : Valid_Sequence(bytes, at, code);
        if (length == 0) {
            text += QChar(char16_t(Escape_Base + byte));
            ++at;
            continue;
        }
        text += QString::fromUcs4(&code, 1);
        at += length;
    }
    return text;
}

std::string Argument_Bytes(const QString& text) {
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            Append_Utf8(bytes, QChar::surrogateToUcs4(unit, text[++i].unicode()));
        } else if (unit >= Escape_Base + 0x80 && unit <= Escape_Base + 0xFF) {
            bytes += char(unit - Escape_Base);
        } else {
            Append_Utf8(bytes, unit);
        }
    }
    return bytes;
}
