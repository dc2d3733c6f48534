#include "Cp1252.h"

namespace {

// 0x80 to 0x9F; 0 marks the five bytes Windows-1252 leaves unassigned,
// which are kept as the C1 control of the same number.
const char16_t highTable[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

QString fromCp1252(const std::string &bytes_)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes_.size()));
    for (unsigned char c : bytes_) {
        if (c >= 0x80 && c <= 0x9F && highTable[c - 0x80])
            out.append(QChar(highTable[c - 0x80]));
        else
            out.append(QChar(static_cast<char16_t>(c)));
    }
    return out;
}

std::string toCp1252(const QString &text_)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text_.size()));
    for (QChar ch : text_) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF) || (u >= 0x80 && u <= 0x9F && !highTable[u - 0x80])) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i)
            if (highTable[i] == u) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        out.push_back(byte);
    }
    return out;
}
