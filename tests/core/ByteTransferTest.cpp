// Copying bytes out and pasting bytes in: the text forms, the hex reader, and the commands
// as single steps of the history.
#include "ScriptedHost.h"

#include "edit/ByteTransfer.h"
#include "edit/TActions.h"

#include <gtest/gtest.h>

#include <random>

using namespace vtm;
using namespace vtmtest;

namespace {
using Bytes = std::vector<std::uint8_t>;

std::string Format(const Bytes &b, CopyFormat f)
{
    return FormatBytes(b.data(), b.size(), f);
}

std::string ClipboardText(const ScriptedHost &host)
{
    return host.clipboard.empty() ? std::string()
                                  : std::string(host.clipboard[0].second.begin(),
                                                host.clipboard[0].second.end());
}
} // namespace

TEST(CopyPaste, TextForms)
{
    const Bytes b = {0x00, 0x41, 0xFF, 0x80, 0x0A};
    EXPECT_EQ(Format(b, CopyFormat::HexText), "00 41 FF 80 0A");
    EXPECT_EQ(Format(b, CopyFormat::Base64), "AEH/gAo=");
    EXPECT_EQ(Format(b, CopyFormat::CArray),
              "unsigned char data[5] = {\n    0x00, 0x41, 0xFF, 0x80, 0x0A\n};\n");
    EXPECT_EQ(Format(b, CopyFormat::Cp1252), " A\xC3\xBF\xE2\x82\xAC\n"); // NUL as a space
    EXPECT_EQ(Format(b, CopyFormat::Raw), std::string("\0A\xFF\x80\n", 5));
    Bytes seventeen(17, 0x11);
    EXPECT_EQ(Format(seventeen, CopyFormat::HexText),
              "11 11 11 11 11 11 11 11 11 11 11 11 11 11 11 11\n11");
    EXPECT_EQ(Format({}, CopyFormat::Base64), "");
}

// Good text in the forms people paste; bad text refused where it goes wrong, with the line
// and the column in characters.
TEST(CopyPaste, HexReader)
{
    const std::pair<std::string, Bytes> good[] = {
        {"48 65 6c", {0x48, 0x65, 0x6C}},
        {"0x48,0x65, 0X6C\r\n", {0x48, 0x65, 0x6C}},
        {"4865\n\t6C", {0x48, 0x65, 0x6C}},
        {"0x5, 0xa", {0x05, 0x0A}},
        {"unsigned char x[] = {0x01, 0x02}; // after", {0x01, 0x02}},
        {"", {}},
    };
    for (const auto &[text, bytes] : good) {
        const HexParse p = ParseHexText(text);
        EXPECT_TRUE(p.ok) << text;
        EXPECT_EQ(p.bytes, bytes) << text;
    }
    struct Bad
    {
        std::string text;
        int line, column;
        const char *english;
    };
    const Bad bad[] = {
        {"48 6G", 1, 4, "line 1, column 4 (\"6\")"}, // half a byte, then a letter
        {"48 65 G1", 1, 7, "line 1, column 7 (\"G\")"},
        {"486", 1, 3, "line 1, column 3 (\"6\")"},
        {"48\n 4z", 2, 2, "line 2, column 2 (\"4\")"},
        {"0x", 1, 3, "line 1, column 3 (at the end of the text)"},
        {"0xg1", 1, 3, "line 1, column 3 (\"g\")"},
        {"0x123", 1, 5, "line 1, column 5 (\"3\")"},
        {"\xC3\xA4\xC3\xB6 41", 1, 1, "line 1, column 1 (\"\xC3\xA4\")"},
        {"41 \xC3\xA4", 1, 4, "line 1, column 4 (\"\xC3\xA4\")"},
    };
    for (const Bad &b : bad) {
        const HexParse p = ParseHexText(b.text);
        EXPECT_FALSE(p.ok) << b.text;
        EXPECT_TRUE(p.bytes.empty());
        EXPECT_EQ(p.line, b.line) << b.text;
        EXPECT_EQ(p.column, b.column) << b.text;
        EXPECT_NE(NotHexText(LanguageEnglish, p, b.text).find(b.english), std::string::npos)
            << NotHexText(LanguageEnglish, p, b.text);
    }
    EXPECT_EQ(NotHexText(LanguageGerman, ParseHexText("41 4"), "41 4"),
              "Der Text der Zwischenablage besteht nicht aus Hex-Bytes: Er bricht in Zeile 1, "
              "Spalte 4 ab (\"4\").\rErlaubt sind Paare von Hex-Ziffern, getrennt durch "
              "Leerzeichen, Zeilenumbrüche oder Kommas, auch mit 0x davor.");

    // Random text: never out of bounds; what it accepts survives both text forms.
    std::mt19937 rng(3);
    const char alphabet[] = "0123456789abcdefABCDEFxX ,\n\r\t{};gz\xC3\xA4";
    for (int round = 0; round < 3000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char &c : text)
            c = alphabet[rng() % (sizeof alphabet - 1)];
        const HexParse p = ParseHexText(text);
        ASSERT_LE(p.stop, text.size());
        if (!p.ok)
            continue;
        for (CopyFormat f : {CopyFormat::HexText, CopyFormat::CArray})
            EXPECT_EQ(ParseHexText(Format(p.bytes, f)).bytes, p.bytes) << text;
    }
}

// Copy the marked run in every text form and paste it back, inserting and overtyping: one
// step each, undone by one Undo, the marks moving as with any insert.
TEST(CopyPaste, CopyAndPasteCommands)
{
    Bytes bytes(40);
    for (int i = 0; i < 40; ++i)
        bytes[std::size_t(i)] = std::uint8_t(0xA0 + i);
    Rig r(bytes);
    Document &doc = r.s.doc;
    doc.FillMarks(10, 4, 3);
    doc.FillMarks(30, 2, 5);
    const Bytes run(bytes.begin() + 10, bytes.begin() + 14);

    for (const Command copy : {Command::CopyRaw, Command::CopyHex, Command::CopyCArray}) {
        r.ed.MoveCursorToOffset(12, false, false);
        r.ed.runCommand(copy);
        ASSERT_EQ(r.host.clipboard.size(), 1u);
        EXPECT_EQ(r.host.clipboard[0].first == RawBytesMime, copy == Command::CopyRaw);

        r.ed.MoveCursorToOffset(20, false, false);
        r.ed.runCommand(Command::PasteInsert);
        EXPECT_EQ(doc.BufferSize(), 44);
        Bytes inserted(4);
        doc.ReadBytes(20, 4, inserted.data());
        EXPECT_EQ(inserted, run);
        EXPECT_EQ(doc.MarkAt(20), 0);
        EXPECT_EQ(doc.MarkAt(34), 5); // moved with its bytes
        EXPECT_NE(r.s.History.UndoName().find("Paste"), std::string::npos)
            << r.s.History.UndoName();
        r.ed.runCommand(Command::Undo);
        EXPECT_EQ(doc.BufferSize(), 40);
        EXPECT_EQ(doc.MarkAt(30), 5);
    }

    // Overtyping keeps the marks under it; past the end the rest is appended; one Undo.
    r.ed.MoveCursorToOffset(38, false, false);
    r.ed.runCommand(Command::PasteOvertype);
    EXPECT_EQ(doc.BufferSize(), 42);
    Bytes tail(4);
    doc.ReadBytes(38, 4, tail.data());
    EXPECT_EQ(tail, run);
    r.ed.runCommand(Command::Undo);
    EXPECT_EQ(doc.BufferSize(), 40);
    EXPECT_EQ(doc.ByteAt(38), bytes[38]);
    EXPECT_FALSE(doc.isModified());

    // An unmarked byte asks how many; the answer is offered next time.
    r.host.gotoAnswers = {3};
    r.ed.MoveCursorToOffset(1, false, false);
    r.ed.runCommand(Command::CopyHex);
    EXPECT_EQ(ClipboardText(r.host), "A1 A2 A3");
    EXPECT_EQ(r.host.gotoOpened.back().first, GotoFormMode::CopyBytes);
    EXPECT_EQ(r.s.LastCopyCount, 3);

    // Text that is no hex: refused with where, nothing changed.
    r.host.clipboard = {{"text/plain", Bytes{'4', '1', ' ', 'x'}}};
    r.s.ClipboardHasData = true;
    r.host.clearLog();
    r.ed.runCommand(Command::PasteInsert);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_NE(r.host.messages[0].text.find("line 1, column 4 (\"x\")"), std::string::npos);
    EXPECT_EQ(doc.BufferSize(), 40);
    EXPECT_FALSE(doc.isModified());
}

// A run larger than a copy may take is refused with a message, and the clipboard is kept.
TEST(CopyPaste, TooLargeACopyIsRefused)
{
    Rig r(Bytes{1, 2, 3});
    Document &doc = r.s.doc;
    doc.insertZeros(3, MaxCopyBytes);
    doc.FillMarks(0, MaxCopyBytes + 1, 2);
    r.host.clipboard = {{"text/plain", Bytes{'k'}}};
    r.ed.MoveCursorToOffset(5, false, false);
    r.ed.runCommand(Command::CopyBase64);
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0].text, "The 67,108,865 bytes are too many to copy: at most "
                                       "67,108,864 bytes (64 MiB) can be copied at once.");
    EXPECT_EQ(ClipboardText(r.host), "k");
}
