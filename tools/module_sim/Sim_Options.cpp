#include "Sim_Options.h"

#include "Qt_Command_Line.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <utility>

namespace {

std::optional<long> Parse_Count(const std::string& text, long minimum) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < minimum || value > INT_MAX) {
        return std::nullopt;
    }
    return value;
}

std::optional<Sim_Command> Parse_Command(const std::string& text) {
    if (text == "find") {
        return Sim_Command::Find;
    }
    if (text == "write") {
        return Sim_Command::Write;
    }
    if (text == "reset") {
        return Sim_Command::Reset;
    }
    return std::nullopt;
}

// "CMD" or "CMD:N"; the count is required when `count_required`.
std::optional<Sim_Reply_Fault> Parse_Command_Count(const std::string& text, bool count_required) {
    const auto colon = text.find(':');
    const auto command = Parse_Command(text.substr(0, colon));
    if (!command) {
        return std::nullopt;
    }
    if (colon == std::string::npos) {
        if (count_required) {
            return std::nullopt;
        }
        return Sim_Reply_Fault{*command, 0};
    }
    const auto nth = Parse_Count(text.substr(colon + 1), 1);
    if (!nth) {
        return std::nullopt;
    }
    return Sim_Reply_Fault{*command, static_cast<int>(*nth)};
}

// "A:B", two counts from 0.
std::optional<std::pair<long, long>> Parse_Count_Pair(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto first = Parse_Count(text.substr(0, colon), 0);
    const auto second = Parse_Count(text.substr(colon + 1), 0);
    if (!first || !second) {
        return std::nullopt;
    }
    return std::pair{*first, *second};
}

std::optional<std::string> Parse_Hex_Bytes(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0 || text.size() > 512) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
            return std::nullopt;
        }
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// "CMD:N:HEX" or "CMD:N:HEX:MS".
std::optional<Sim_Stray> Parse_Stray(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos;
         start = colon + 1) {
        fields.push_back(text.substr(start, colon - start));
    }
    fields.push_back(text.substr(start));
    if (fields.size() != 3 && fields.size() != 4) {
        return std::nullopt;
    }
    const auto rule = Parse_Command_Count(fields[0] + ":" + fields[1], true);
    const auto bytes = Parse_Hex_Bytes(fields[2]);
    const auto gap = fields.size() == 4 ? Parse_Count(fields[3], 0) : std::optional<long>(0);
    if (!rule || !bytes || !gap) {
        return std::nullopt;
    }
    return Sim_Stray{rule->Command, rule->Nth, *bytes, static_cast<int>(*gap)};
}

// Takes one value of the option `flag`; false when the value is refused.
bool Take_Value(Sim_Options& options, const std::string& flag, const std::string& value) {
    if (flag == "--port") {
        options.Port = value;
    } else if (flag == "--load") {
        options.Load_File = value;
    } else if (flag == "--dump") {
        options.Dump_File = value;
    } else if (flag == "--mute") {
        const auto command = Parse_Command(value);
        if (!command) {
            return false;
        }
        options.Mute.insert(*command);
    } else if (flag == "--answer-from") {
        const auto rule = Parse_Command_Count(value, true);
        if (!rule) {
            return false;
        }
        options.Answer_From[rule->Command] = rule->Nth;
    } else if (flag == "--bad-checksum" || flag == "--wrong-echo") {
        const auto rule = Parse_Command_Count(value, false);
        if (!rule) {
            return false;
        }
        (flag == "--bad-checksum" ? options.Bad_Checksum : options.Wrong_Echo).push_back(*rule);
    } else if (flag == "--late-ack" || flag == "--held-ack") {
        const auto rule = Parse_Count_Pair(value);
        if (!rule || rule->first > 511) {
            return false;
        }
        (flag == "--late-ack" ? options.Late_Ack_Ms : options.Held_Ack_Ms)[rule->first] =
            static_cast<int>(rule->second);
    } else if (flag == "--stray-after") {
        const auto stray = Parse_Stray(value);
        if (!stray) {
            return false;
        }
        options.Strays.push_back(*stray);
    } else if (flag == "--random-faults") {
        const auto rule = Parse_Count_Pair(value);
        if (!rule || rule->second > 100) {
            return false;
        }
        options.Random_Faults =
            Sim_Random_Faults{static_cast<unsigned>(rule->first), static_cast<int>(rule->second)};
    } else if (flag == "--never-ack-block" || flag == "--close-after-block" ||
               flag == "--lose-block") {
        const auto block = Parse_Count(value, 0);
        if (!block || *block > 511) {
            return false;
        }
        if (flag == "--never-ack-block") {
            options.Never_Ack_Blocks.insert(*block);
        } else if (flag == "--lose-block") {
            options.Lose_Blocks.insert(*block);
        } else {
            options.Close_After_Block = *block;
        }
    } else if (flag == "--burst" || flag == "--burst-pause" || flag == "--delay" ||
               flag == "--write-time") {
        const auto number = Parse_Count(value, flag == "--burst" ? 1 : 0);
        if (!number) {
            return false;
        }
        const int amount = static_cast<int>(*number);
        if (flag == "--burst") {
            options.Burst = amount;
        } else if (flag == "--burst-pause") {
            options.Burst_Pause_Ms = amount;
        } else if (flag == "--delay") {
            options.Delay_Ms = amount;
        } else {
            options.Write_Time_Ms = amount;
        }
    }
    return true;
}

} // namespace

std::string Command_Name(Sim_Command command) {
    switch (command) {
    case Sim_Command::Find:
        return "find";
    case Sim_Command::Write:
        return "write";
    case Sim_Command::Reset:
        return "reset";
    }
    return "?";
}

std::string Sim_Usage() {
    return R"(Usage: module-sim (--pty | --port DEVICE) [options]

A simulated display unit: answers detection (87 00 78), EEPROM block writes
(04 84 address[4] data[128] checksum) and PIC reset (FE 00 01) like the real unit.

Line:
  --pty                   open a pseudo-terminal; its device path is the first line on
                          stdout, and it is listed among the port numbers while running
  --port DEVICE           use a real serial port (115200 8N1, raw)
EEPROM (64 KiB, all 0x00 at start):
  --load FILE             start from a 65,536-byte image
  --dump FILE             write the EEPROM to FILE after every reset and at exit
Faults (CMD is find, write or reset; N counts the requests of that command from 1):
  --mute CMD              never answer CMD
  --answer-from CMD:N     answer CMD only from its Nth request on
  --never-ack-block K     never acknowledge the write of block K (address 128*K)
                          (a write the unit does not answer is not stored)
  --bad-checksum CMD[:N]  wrong checksum on the replies to CMD (all, or only the Nth)
  --wrong-echo CMD[:N]    wrong echo byte on the replies to CMD (all, or only the Nth)
  --burst N               send replies in bursts of N bytes...
  --burst-pause MS        ...with MS milliseconds between bursts (default 5)
  --delay MS              delay every reply by MS milliseconds
  --line-rate             emulate 115200 8N1 (11,520 bytes/s): a reply leaves only when
                          the request and the reply would have crossed the line
  --write-time MS         EEPROM write time of each block before its acknowledgement
  --close-after-block K   close the line and exit after acknowledging block K
  --late-ack K:MS         send the acknowledgement of block K's first write MS ms late;
                          requests heard meanwhile are handled after it, in order
  --lose-block K          lose block K's first write request on the line: not stored, no
                          reply; a repeated request is handled as usual
  --held-ack K:MS         hold block K's first acknowledgement up on the way for MS ms: the
                          replies to later requests leave at once and overtake it
  --stray-after CMD:N:HEX[:MS]
                          send the bytes HEX (e.g. 5AA53C) after the reply to the Nth CMD
                          request, in the same write or MS ms later
  --random-faults SEED:PERCENT
                          give PERCENT % of all requests one fault drawn from SEED: lost
                          once or twice, held up 3 to 5.5 s, bad checksum, short, split into
                          single bytes, or followed by stray bytes; each is logged
Other:
  --verbose               log every request received (and every bad one) to stderr
  -h, --help              this text

An option's value may also follow an equals sign: --delay=300.

A bad request (unknown command, wrong length, wrong checksum, address beyond 64 KiB)
gets no reply; a partial request is dropped after 50 ms without bytes.
SIGINT and SIGTERM end the simulator cleanly (the dump is written).
)";
}

Sim_Parse_Result Parse_Sim_Options(const std::vector<std::string>& arguments) {
    QCommandLineParser parser;
    for (const char* flag : {"pty", "verbose", "line-rate"}) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(flag)));
    }
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    const char* const value_options[] = {"port",          "load",
                                         "dump",          "mute",
                                         "answer-from",   "bad-checksum",
                                         "wrong-echo",    "late-ack",
                                         "held-ack",      "stray-after",
                                         "random-faults", "never-ack-block",
                                         "lose-block",    "close-after-block",
                                         "burst",         "burst-pause",
                                         "delay",         "write-time"};
    for (const char* name : value_options) {
        parser.addOption(
            QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("VALUE")));
    }
    Sim_Parse_Result result;
    auto fail = [&](const std::string& why) {
        result.Error = why;
        return result;
    };
    const std::string error = Parse_Command_Line(parser, arguments);
    // Wrong arguments beside the help do not hide it: it is asked for to learn the right ones.
    if (parser.isSet(QStringLiteral("help"))) {
        result.Help = true;
        return result;
    }
    if (!error.empty()) {
        return fail(error);
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail("unexpected argument '" + Argument_Bytes(parser.positionalArguments().front()) +
                    "'");
    }
    Sim_Options options;
    options.Pty = parser.isSet(QStringLiteral("pty"));
    options.Verbose = parser.isSet(QStringLiteral("verbose"));
    options.Line_Rate = parser.isSet(QStringLiteral("line-rate"));
    for (const char* name : value_options) {
        const std::string flag = "--" + std::string(name);
        for (const QString& text : parser.values(QString::fromLatin1(name))) {
            if (const std::string value = Argument_Bytes(text); !Take_Value(options, flag, value)) {
                return fail("bad value for " + flag + ": " + value);
            }
        }
    }
    if (options.Pty == !options.Port.empty()) {
        return fail("give either --pty or --port DEVICE");
    }
    result.Options = options;
    return result;
}
