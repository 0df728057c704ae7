// tavuko-render on one random Japanese text written in every encoding: the same display-line
// breaks, counted in characters, and the same pixels at several widths, whether the encoding is
// found or named with --encoding.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <random>
#include <sstream>

#include "support/EncodingOracle.h"
#include "support/JapaneseText.h"

namespace {

struct TRun {
    QByteArray out;
    int status;
};

TRun Render(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TAVUKO_RENDER), args);
    p.waitForFinished(60000);
    return {p.readAllStandardOutput(), p.exitCode()};
}

// The text as held: what the display lines' byte positions count in.
std::string Held(TCharset c, const std::u32string& text)
{
    return Encode(charset::IsTranscoded(c) ? TCharset::Utf8 : c, text);
}

// Every display line as (file line, first character, piece, line end), from --lines.
std::vector<std::tuple<int, int, int, int>> Breaks(const QByteArray& lines, const std::vector<std::string>& held,
                                                   TBvEncoding::Kind kind)
{
    std::vector<std::tuple<int, int, int, int>> out;
    std::istringstream in(lines.toStdString());
    int index, org, pos, len, sub, cr;
    while (in >> index >> org >> pos >> len >> sub >> cr) {
        const std::vector<bool> starts = OracleCharStarts(kind, held.at(size_t(org)));
        const int chars = pos < 1 ? 0 : int(std::count(starts.begin(), starts.begin() + pos - 1, true));
        out.emplace_back(org, chars, sub, cr);
    }
    return out;
}

}  // namespace

TEST(RenderEncodings, OneTextBreaksAndPaintsAlikeInEveryEncoding)
{
    QTemporaryDir dir;
    std::mt19937 rng(12);
    std::vector<std::u32string> lines;
    for (int i = 0; i < 40; ++i) lines.push_back(RandomJapanese(rng, rng() % 160));
    std::u32string text;
    for (const std::u32string& l : lines) text += l + U"\r\n";
    auto heldLines = [&](TCharset c) {
        std::vector<std::string> out;
        for (const std::u32string& l : lines) out.push_back(Held(c, l));
        return out;
    };
    std::vector<std::tuple<int, int, int, int>> want[3];
    std::vector<QImage> wantPixels;
    for (const TCharset c : charset::kAll) {
        const QString file = dir.filePath(QString::fromUtf8(charset::Key(c)) + ".txt");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string bytes = Encode(c, text);
        f.write(bytes.data(), qint64(bytes.size()));
        f.close();
        const TBvEncoding::Kind kind = TBvEncoding::Holding(c).kind();
        int k = 0;
        for (const QString& width : {QStringLiteral("100"), QStringLiteral("333"), QStringLiteral("800")}) {
            for (const bool named : {false, true}) {
                QStringList args{QStringLiteral("--lines"), QStringLiteral("--client-width"), width};
                if (named) args << QStringLiteral("--encoding") << QString::fromUtf8(charset::Key(c));
                const TRun r = Render(args << file);
                ASSERT_EQ(r.status, 0) << charset::Key(c);
                const auto got = Breaks(r.out, heldLines(c), kind);
                if (c == TCharset::Cp932 && !named) want[k] = got;
                EXPECT_EQ(got, want[k]) << charset::Key(c) << " width " << width.toStdString()
                                        << (named ? " named" : "");
            }
            ++k;
        }
        int s = 0;
        for (const QString& size : {QStringLiteral("200x300"), QStringLiteral("522x394")}) {
            const QString png = dir.filePath(QStringLiteral("%1-%2.png").arg(charset::Key(c)).arg(size));
            ASSERT_EQ(Render({QStringLiteral("--size"), size, QStringLiteral("--top"), QStringLiteral("3"), file, png})
                          .status,
                      0);
            const QImage img(png);
            ASSERT_FALSE(img.isNull());
            if (c == TCharset::Cp932) wantPixels.push_back(img);
            EXPECT_TRUE(img == wantPixels[size_t(s)]) << charset::Key(c) << " " << size.toStdString();
            ++s;
        }
    }
}

TEST(RenderEncodings, AnUnknownEncodingNameIsRefused)
{
    QProcess p;
    p.start(QStringLiteral(TAVUKO_RENDER), {QStringLiteral("--lines"), QStringLiteral("--encoding"),
                                            QStringLiteral("latin-1"), QStringLiteral(TAVUKO_RENDER)});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("bad value for --encoding"));
}
