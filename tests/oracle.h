// What the report must say for a continent, worked out from the catalogue
// alone, so that tests compare the program against an independent answer.
//
// Include it before <QTest>: it also teaches QCOMPARE to print std::string,
// which QTest only finds if declared ahead of its own templates.
#pragma once

#include "catalogue/catalogue.h"

#include <QByteArray>

#include <string>

namespace QTest {
inline char *toString(const std::string &text)
{
    return qstrdup(('"' + text + '"').c_str());
}
} // namespace QTest

inline std::string expectedReport(int code)
{
    std::string report = "Избран континент: " + std::string(catalogue::continents[code]) + "\r\nРеки: \r\n";
    for (const auto &river : catalogue::rivers)
        if (catalogue::parseLeadingNumber(river.code) == code)
            report += std::string(river.name) + "\r\n";
    return report;
}
