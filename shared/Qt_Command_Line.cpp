#include "Qt_Command_Line.h"

namespace {

std::string Dashed(const QString& name) {
    return (name.size() == 1 ? "-" : "--") + name.toStdString();
}

} // namespace

std::string Parse_Command_Line(QCommandLineParser& parser, const std::vector<std::string>& args) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList list{QString()};
    for (const std::string& arg : args) {
        list << QString::fromStdString(arg);
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
        return parser.errorText().chopped(1).toStdString();
    }
    for (const QString& name : parser.optionNames()) {
        if (parser.values(name).contains(QString())) {
            return Dashed(name) + " needs a value";
        }
    }
    return {};
}
