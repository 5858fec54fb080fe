#include "process/command_line.h"

#include <QString>
#include <gtest/gtest.h>
#include <random>

namespace {

using Args = QList<QByteArray>;

struct SplitCase {
    const char *line;
    Args expected;
};

// Test lines are written with ' standing for " to keep them readable.
QByteArray Line(const char *text) { return QByteArray(text).replace('\'', '"'); }

void PrintTo(const SplitCase &c, std::ostream *os) { *os << c.line; }

class SplitTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, GivesTheCRuntimeArguments)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(SplitCommandLine(Line(c.line)), c.expected) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, SplitTable,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{"  \t ", {}}, SplitCase{"a", {"a"}},
        SplitCase{"  a \t b  ", {"a", "b"}},
        // Empty arguments exist only through quotes.
        SplitCase{"''", {""}}, SplitCase{"a '' b", {"a", "", "b"}}, SplitCase{"'' ''", {"", ""}},
        // Quoting keeps blanks and tabs; quotes anywhere in an argument toggle it.
        SplitCase{"'a b' c", {"a b", "c"}}, SplitCase{"'a\tb'", {"a\tb"}},
        SplitCase{"x'a b'y z", {"xa by", "z"}}, SplitCase{"a''b", {"ab"}},
        SplitCase{"'a'b'c d'", {"abc d"}}, SplitCase{"'abc", {"abc"}}, SplitCase{"'a b", {"a b"}},
        // Two quotes inside quoting: one literal quote, quoting goes on.
        SplitCase{"'a''b'", {"a\"b"}}, SplitCase{"'a'' b'", {"a\" b"}}, SplitCase{"''''", {"\""}},
        SplitCase{"'''", {"\""}}, SplitCase{"'a''", {"a\""}},
        // Backslashes: literal unless before a quote.
        SplitCase{"a\\b", {"a\\b"}}, SplitCase{"a\\\\b", {"a\\\\b"}}, SplitCase{"a\\", {"a\\"}},
        SplitCase{"'a\\b c\\'", {"a\\b c\""}},
        SplitCase{"a\\'b", {"a\"b"}},            // 1 -> literal quote
        SplitCase{"a\\\\'b c'", {"a\\b c"}},     // 2 -> one backslash, quote opens
        SplitCase{"a\\\\\\'b", {"a\\\"b"}},      // 3 -> one backslash and a quote
        SplitCase{"\\\\\\\\'", {"\\\\"}},        // 4 at the end -> two, quote opens
        SplitCase{"'a\\\\' b", {"a\\", "b"}},    // even count closes quoting
        SplitCase{"'a\\\\\\' b'", {"a\\\" b"}},  // odd count stays inside
        // Only blanks and tabs separate; other control bytes are data.
        SplitCase{"a\nb\rc", {"a\nb\rc"}}, SplitCase{"a\vb", {"a\vb"}},
        // The program name is an argument like any other.
        SplitCase{"/t/mencoder -ni -mc 0 'a b.avi' -o '/o/1.avi'",
                  {"/t/mencoder", "-ni", "-mc", "0", "a b.avi", "-o", "/o/1.avi"}},
        SplitCase{"'/my tools/mplayer' -identify", {"/my tools/mplayer", "-identify"}}));

struct QuoteCase {
    QByteArray path;
    QByteArray quoted;
};

void PrintTo(const QuoteCase &c, std::ostream *os) { *os << c.path.toHex().constData(); }

class QuoteTable : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteTable, EscapesOnlyWhatTheSplitterWouldChange)
{
    const QuoteCase &c = GetParam();
    EXPECT_EQ(QuotePath(c.path), c.quoted);
    EXPECT_EQ(SplitCommandLine(c.quoted), Args{c.path});
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, QuoteTable,
    ::testing::Values(
        // Ordinary paths appear exactly as written between quotes.
        QuoteCase{"/home/u/a b.avi", "\"/home/u/a b.avi\""},
        QuoteCase{"C:\\x\\y.rm", "\"C:\\x\\y.rm\""}, QuoteCase{"", "\"\""},
        QuoteCase{"a\"b", "\"a\\\"b\""}, QuoteCase{"a\\\"b", "\"a\\\\\\\"b\""},
        QuoteCase{"a\\", "\"a\\\\\""}, QuoteCase{"a\\\\", "\"a\\\\\\\\\""},
        QuoteCase{"\"", "\"\\\"\""}, QuoteCase{"\"\"", "\"\\\"\\\"\""},
        QuoteCase{"\\", "\"\\\\\""}));

TEST(CommandLine, QuotePathOfTextUsesTheFileSystemEncoding)
{
    const QString path = QString::fromUtf8("/视频/片 \"1\".rmvb");
    EXPECT_EQ(SplitCommandLine(QuotePath(path)), Args{path.toUtf8()});
}

// Paths with every awkward byte survive quoting and splitting, alone and
// several on one line.
TEST(CommandLine, ArbitraryBytePathsRoundTrip)
{
    const QList<QByteArray> edges = {
        "\\",       "\\\\",      "\"",        "\"\"",         "a\\",     "a\\\\\\",
        " ",        "\t",        " lead",     "trail ",       "-o",      "--",
        "$HOME;rm", "`id`",      "$(id)",     "'single'",     "a*b?[c]", "|&<>",
        "\\\"",     "\\\\\"",    "x\"\\\"y",  "视频 文件.rmvb", "\r\n",    "\x01\x7f\xff\x80",
        "%PATH%",   "^caret^",   "!bang",     "~",
    };
    for (const QByteArray &path : edges) {
        EXPECT_EQ(SplitCommandLine(QuotePath(path)), Args{path}) << path.toHex().constData();
        EXPECT_EQ(SplitCommandLine(ToolPathArg(path)), Args{path}) << path.toHex().constData();
    }

    std::mt19937 random(20100);  // fixed seed: failures repeat
    const QByteArray weighted = QByteArray("\\\\\\\"\"\" \t") + "abc";
    for (int round = 0; round < 2000; ++round) {
        Args paths;
        QByteArray line = "/tools/mencoder";
        const int count = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < count; ++i) {
            QByteArray path;
            const int length = static_cast<int>(random() % 24);
            for (int j = 0; j < length; ++j) {
                char byte;
                if (random() % 2) {
                    byte = weighted.at(static_cast<qsizetype>(random() % weighted.size()));
                } else {
                    do {
                        byte = static_cast<char>(1 + random() % 255);
                    } while (byte == '/');
                }
                path.append(byte);
            }
            paths.append(path);
            line += ' ' + QuotePath(path);
        }
        const Args split = SplitCommandLine(line);
        ASSERT_EQ(split.size(), count + 1) << line.toHex().constData();
        EXPECT_EQ(split.mid(1), paths) << line.toHex().constData();
    }
}

TEST(CommandLine, ToolPathStaysUnquotedUnlessItMustBeQuoted)
{
    EXPECT_EQ(ToolPathArg("/home/u/.local/share/Q9TBR/mplayer"), "/home/u/.local/share/Q9TBR/mplayer");
    EXPECT_EQ(ToolPathArg("/a\\b/mencoder"), "/a\\b/mencoder");  // no quote after it: literal
    EXPECT_EQ(ToolPathArg("/视频/ffmpeg"), "/视频/ffmpeg");
    EXPECT_EQ(ToolPathArg("/my tools/mplayer"), "\"/my tools/mplayer\"");
    EXPECT_EQ(ToolPathArg("/a\tb/mplayer"), "\"/a\tb/mplayer\"");
    EXPECT_EQ(ToolPathArg("/a\"b/mplayer"), "\"/a\\\"b/mplayer\"");
    EXPECT_EQ(ToolPathArg(""), "\"\"");

    const QByteArray tool = "/my \"odd\" tools\\/mencoder";
    EXPECT_EQ(SplitCommandLine(ToolPathArg(tool) + " -ni x"), (Args{tool, "-ni", "x"}));
}

// The callers build lines longer than any fixed buffer from long paths; the
// splitter keeps all of it.
TEST(CommandLine, LongLinesAreNotCut)
{
    const QByteArray path = "/" + QByteArray(3000, 'p');
    const Args split = SplitCommandLine("/t/mencoder " + QuotePath(path) + " -o end");
    ASSERT_EQ(split.size(), 4);
    EXPECT_EQ(split.at(1), path);
    EXPECT_EQ(split.at(3), "end");
}

} // namespace
