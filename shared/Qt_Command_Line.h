#pragma once

#include <QCommandLineParser>

#include <string>
#include <vector>

// Parses `args` (the program's name left out) against the options declared on `parser`, the way
// both command-line programs read them: an option word is taken whole ("-o" as well as
// "--port"), "--opt=value" is "--opt value". Returns a one-line reason when the arguments are
// refused (an unknown option, a value missing or empty: an empty value never stands for a
// default), empty when they are parsed.
std::string Parse_Command_Line(QCommandLineParser& parser, const std::vector<std::string>& args);

// An argument's bytes as text and back, unchanged whatever their encoding: a byte that is not
// part of valid UTF-8 (a file name in Latin-1, say) is held as the lone surrogate U+DC80..U+DCFF,
// so that the name given is the name opened and the name reported.
QString Argument_Text(const std::string& bytes);
std::string Argument_Bytes(const QString& text);
