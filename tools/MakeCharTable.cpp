// Writes the help's character table. It is generated from the dump's own character rules so
// that the table cannot drift from what the dump shows.
//
//   MakeCharTable en|de OUTPUT.html

#include "document/Format.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

struct PageTexts
{
    const char *lang;
    const char *title;
    const char *contents;
    const char *otherLanguage;
    const char *otherPage;
    const char *intro;
    const char *hex;
    const char *dec;
    const char *bin;
    const char *chr;
};

const PageTexts kEnglish{
    "en",
    "Character table",
    "Contents",
    "Deutsch",
    "../de/chartable.html",
    "Every byte value with its hexadecimal, decimal and binary value and the character of the "
    "Windows-1252 code page that the dump shows for it. Bytes without a printable character "
    "are blank, as in the dump while Options › Unknow chars as space is on (the default).",
    "Hex",
    "Dec",
    "Binary",
    "Char"};

const PageTexts kGerman{
    "de",
    "Zeichentabelle",
    "Inhalt",
    "English",
    "../en/chartable.html",
    "Jeder Bytewert mit seinem hexadezimalen, dezimalen und binären Wert und dem Zeichen der "
    "Codepage Windows-1252, das der Dump für ihn zeigt. Bytes ohne druckbares Zeichen bleiben "
    "leer, wie im Dump, solange Optionen › Nicht darstellbare Zeichen als Space eingeschaltet "
    "ist (die Voreinstellung).",
    "Hex",
    "Dez",
    "Binär",
    "Zeichen"};

std::string hex2(int value)
{
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02X", value);
    return buf;
}

// The character column as the dump shows it with its default setting.
std::string charCell(std::uint8_t byte)
{
    const char shown = vtm::DisplayChar(byte, false, true);
    switch (shown) {
    case ' ': return "&nbsp;";
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return vtm::Cp1252ToUtf8(std::uint8_t(shown));
    }
}

std::string byteCells(int byte)
{
    return "<td>" + hex2(byte) + "</td><td align=\"right\">" + std::to_string(byte) + "</td><td>"
           + vtm::BinaryString(std::uint32_t(byte), 8) + "</td><td class=\"c\">"
           + charCell(std::uint8_t(byte)) + "</td>";
}

std::string page(const PageTexts &t)
{
    std::string s;
    s += "<!DOCTYPE html>\n<html lang=\"" + std::string(t.lang) + "\">\n<head>\n";
    s += "<meta charset=\"utf-8\">\n";
    s += "<title>Vantreelmorbisco – " + std::string(t.title) + "</title>\n";
    s += "<link rel=\"stylesheet\" type=\"text/css\" href=\"../help.css\">\n</head>\n<body>\n";
    s += "<p class=\"nav\"><a href=\"index.html\">" + std::string(t.contents) + "</a> | <a href=\""
         + t.otherPage + "\">" + t.otherLanguage + "</a></p>\n";
    s += "<h1>" + std::string(t.title) + "</h1>\n";
    s += "<p>" + std::string(t.intro) + "</p>\n";
    s += "<table class=\"chars\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n";
    const std::string head = "<th>" + std::string(t.hex) + "</th><th>" + t.dec + "</th><th>" + t.bin
                             + "</th><th>" + t.chr + "</th>";
    s += "<tr>" + head + "<td></td>" + head + "</tr>\n";
    // Two halves side by side keep the page at 128 rows.
    for (int b = 0; b < 128; ++b)
        s += "<tr>" + byteCells(b) + "<td>&nbsp;</td>" + byteCells(b + 128) + "</tr>\n";
    s += "</table>\n</body>\n</html>\n";
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::string(argv[1]) != "en" && std::string(argv[1]) != "de")) {
        std::cerr << "usage: MakeCharTable en|de OUTPUT.html\n";
        return 2;
    }
    const PageTexts &texts = std::string(argv[1]) == "de" ? kGerman : kEnglish;
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << page(texts);
    out.close();
    if (!out) {
        std::cerr << "MakeCharTable: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
