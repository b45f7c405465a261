#include "catalogue/catalogue.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <set>
#include <string>

using namespace std::literals;

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void continentsInButtonOrder();
    void riversPerContinent();
    void riversAreInAlphabeticalOrder();
    void uralCrossesTwoContinents();
    void trailingBlanksBelongToTheName();
    void everyCodeIsAContinent();
    void leadingNumber_data();
    void leadingNumber();
};

void TestCatalogue::continentsInButtonOrder()
{
    const std::array expected = {"Австралия"sv, "Азия"sv,          "Африка"sv,
                                 "Европа"sv,    "Северна Америка"sv, "Южна Америка"sv};
    QVERIFY(catalogue::continents == expected);
}

void TestCatalogue::riversPerContinent()
{
    std::map<std::string_view, int> perCode;
    for (const auto &river : catalogue::rivers)
        ++perCode[river.code];
    const std::map<std::string_view, int> expected = {
        {"0", 3}, {"1", 22}, {"2", 10}, {"3", 20}, {"4", 11}, {"5", 14}};
    QVERIFY(perCode == expected);
}

// Bulgarian alphabetical order is Unicode order for these letters, and so
// byte order in UTF-8.
void TestCatalogue::riversAreInAlphabeticalOrder()
{
    QVERIFY(std::is_sorted(catalogue::rivers.begin(), catalogue::rivers.end(),
                           [](const auto &a, const auto &b) { return a.name < b.name; }));
    QCOMPARE(catalogue::rivers.front().name, "Амазонка"sv);
    QCOMPARE(catalogue::rivers.back().name, "Яндзъ"sv);
}

void TestCatalogue::uralCrossesTwoContinents()
{
    QCOMPARE(catalogue::rivers[70].name, "Урал"sv);
    QCOMPARE(catalogue::rivers[70].code, "1"sv);
    QCOMPARE(catalogue::rivers[71].name, "Урал"sv);
    QCOMPARE(catalogue::rivers[71].code, "3"sv);

    // ... and is the only name that appears twice.
    std::set<std::string_view> distinct;
    for (const auto &river : catalogue::rivers)
        distinct.insert(river.name);
    QCOMPARE(distinct.size(), std::size_t(79));
}

void TestCatalogue::trailingBlanksBelongToTheName()
{
    std::map<int, std::string_view> withBlank;
    for (std::size_t p = 0; p < catalogue::rivers.size(); ++p)
        if (catalogue::rivers[p].name.ends_with(' '))
            withBlank[int(p)] = catalogue::rivers[p].name;
    const std::map<int, std::string_view> expected = {
        {15, "Елба "}, {32, "Лоара "}, {35, "Маккензи "}, {55, "Рейн "}, {58, "Рона "}};
    QVERIFY(withBlank == expected);
    QCOMPARE(QString::fromUtf8(catalogue::rivers[15].name).size(), 5);
}

void TestCatalogue::everyCodeIsAContinent()
{
    for (const auto &river : catalogue::rivers) {
        const double code = catalogue::parseLeadingNumber(river.code);
        QVERIFY2(river.code.size() == 1 && code >= 0 && code <= 5, river.name.data());
    }
}

void TestCatalogue::leadingNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("digit") << QByteArray("5") << 5.0;
    QTest::newRow("empty") << QByteArray("") << 0.0;
    QTest::newRow("only blanks") << QByteArray("   ") << 0.0;
    QTest::newRow("leading blanks skipped") << QByteArray("  3") << 3.0;
    QTest::newRow("leading tab skipped") << QByteArray("\t4") << 4.0;
    QTest::newRow("longest number then text") << QByteArray("12ab") << 12.0;
    QTest::newRow("trailing blank") << QByteArray("2 ") << 2.0;
    QTest::newRow("fraction") << QByteArray("2.5") << 2.5;
    QTest::newRow("negative") << QByteArray("-1") << -1.0;
    QTest::newRow("no number") << QByteArray("Азия") << 0.0;
    QTest::newRow("exponent not read") << QByteArray("1e5") << 1.0;
    QTest::newRow("words that from_chars knows") << QByteArray("inf") << 0.0;
    QTest::newRow("lone minus") << QByteArray("-") << 0.0;
}

void TestCatalogue::leadingNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(double, value);
    QCOMPARE(catalogue::parseLeadingNumber(std::string_view(text.constData(), text.size())), value);
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
