#include "oracle.h"

#include "fakeview.h"

#include "catalogue/catalogue.h"
#include "selection/selectioncontroller.h"

#include <QTest>

#include <string>

Q_DECLARE_METATYPE(FakeView::Echo)

namespace {

struct Fixture {
    explicit Fixture(FakeView::Echo echo = FakeView::Echo::Silent)
    {
        view.controller = &controller;
        view.echo = echo;
    }
    FakeView view;
    SelectionController controller{view};
};

void addEchoRows()
{
    QTest::addColumn<FakeView::Echo>("echo");
    QTest::newRow("toolkit echoes assignments") << FakeView::Echo::Synchronous;
    QTest::newRow("toolkit stays silent") << FakeView::Echo::Silent;
}

} // namespace

class TestSelection : public QObject {
    Q_OBJECT

private slots:
    void australiaReportIsExact();
    void continentClick_data();
    void continentClick();
    void riverClick_data();
    void riverClick();
    void sameContinentAgainRewritesAndReselects();
    void riverOfSelectedContinentRewritesReport();
    void echoModesAgree_data();
    void echoModesAgree();
    void guardDropsOtherHandlersClicks();
    void riverClickWithoutValidRiverChangesNothing_data();
    void riverClickWithoutValidRiverChangesNothing();
    void reportGrowsWithTheCatalogue();
};

void TestSelection::australiaReportIsExact()
{
    Fixture f;
    QCOMPARE(f.view.reportWrites, 0);
    f.view.userClicksContinent(0);
    QCOMPARE(f.view.text, std::string("Избран континент: Австралия\r\n"
                                      "Реки: \r\n"
                                      "Дарлинг\r\n"
                                      "Мъри\r\n"
                                      "Мъръмбиджи\r\n"));
}

void TestSelection::continentClick_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("riverLines");
    QTest::addColumn<QString>("firstRiver");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QString>("selectedName");

    QTest::newRow("Австралия") << 0 << 3 << "Дарлинг" << 42 << "Мъръмбиджи";
    QTest::newRow("Азия") << 1 << 22 << "Амударя" << 79 << "Яндзъ";
    QTest::newRow("Африка") << 2 << 10 << "Замбези" << 69 << "Убанги";
    QTest::newRow("Европа") << 3 << 20 << "Березина" << 75 << "Шелда";
    QTest::newRow("Северна Америка") << 4 << 11 << "Атабаска" << 76 << "Юкон";
    QTest::newRow("Южна Америка") << 5 << 14 << "Амазонка" << 72 << "Уругвай";
}

void TestSelection::continentClick()
{
    QFETCH(int, code);
    QFETCH(int, riverLines);
    QFETCH(QString, firstRiver);
    QFETCH(int, selectedAfter);
    QFETCH(QString, selectedName);

    Fixture f;
    f.view.userClicksContinent(code);

    QCOMPARE(f.view.text, expectedReport(code));
    const QStringList lines = QString::fromStdString(f.view.text).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2 + riverLines + 1); // the last line is ended too
    QCOMPARE(lines[2], firstRiver);
    QCOMPARE(lines[2 + riverLines - 1], selectedName);
    QCOMPARE(f.view.listIndex, selectedAfter);
    QCOMPARE(f.controller.selectedRiver(), selectedAfter);
    QCOMPARE(f.controller.selectedContinent(), code);
    QCOMPARE(f.view.reportWrites, 1);
}

void TestSelection::riverClick_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("continent");

    QTest::newRow("first river, Амазонка") << 0 << "Амазонка" << 5;
    QTest::newRow("last river, Яндзъ") << 79 << "Яндзъ" << 1;
    QTest::newRow("Урал in Asia") << 70 << "Урал" << 1;
    QTest::newRow("Урал in Europe") << 71 << "Урал" << 3;
    QTest::newRow("Елба keeps its blank") << 15 << "Елба " << 3;
    QTest::newRow("Australian, Дарлинг") << 10 << "Дарлинг" << 0;
    QTest::newRow("African, Замбези") << 20 << "Замбези" << 2;
    QTest::newRow("North American, Маккензи") << 35 << "Маккензи " << 4;
}

void TestSelection::riverClick()
{
    QFETCH(int, position);
    QFETCH(QString, line);
    QFETCH(int, continent);

    Fixture f;
    f.view.userClicksRiver(position);

    QCOMPARE(f.view.checkedOption, continent);
    QCOMPARE(f.controller.selectedContinent(), continent);
    QCOMPARE(f.view.text, expectedReport(continent));
    QVERIFY(f.view.text.find("\r\n" + line.toStdString() + "\r\n") != std::string::npos);
    // The clicked river stays selected in the list.
    QCOMPARE(f.view.listIndex, position);
    QCOMPARE(f.view.reportWrites, 1);
}

void TestSelection::sameContinentAgainRewritesAndReselects()
{
    Fixture f;
    f.view.userClicksContinent(3);
    f.view.userClicksRiver(14); // Дунав, also European
    QCOMPARE(f.view.listIndex, 14);

    f.view.userClicksContinent(3);
    QCOMPARE(f.view.listIndex, 75);
    QCOMPARE(f.view.text, expectedReport(3));
    QCOMPARE(f.view.reportWrites, 3);
}

void TestSelection::riverOfSelectedContinentRewritesReport()
{
    Fixture f;
    f.view.userClicksRiver(70);
    const std::string first = f.view.text;
    f.view.userClicksRiver(2); // Амур, Asia again
    QCOMPARE(f.view.text, first);
    QCOMPARE(f.view.reportWrites, 2);
    QCOMPARE(f.view.listIndex, 2);
}

void TestSelection::echoModesAgree_data()
{
    addEchoRows();
}

// Whether or not the toolkit raises clicks for the controller's own
// assignments, a pupil's session ends in the same state, with one report
// written per action.
void TestSelection::echoModesAgree()
{
    QFETCH(FakeView::Echo, echo);

    Fixture f(echo);
    Fixture reference(FakeView::Echo::Silent);
    int actions = 0;
    const auto both = [&](auto action) {
        action(f.view);
        action(reference.view);
        ++actions;
        QCOMPARE(f.view.reportWrites, actions);
        QCOMPARE(f.view.text, reference.view.text);
        QCOMPARE(f.view.listIndex, reference.view.listIndex);
        QCOMPARE(f.view.checkedOption, reference.view.checkedOption);
        QCOMPARE(f.controller.selectedRiver(), reference.controller.selectedRiver());
        QCOMPARE(f.controller.selectedContinent(), reference.controller.selectedContinent());
    };

    both([](FakeView &v) { v.userClicksContinent(3); });
    both([](FakeView &v) { v.userClicksRiver(70); });
    both([](FakeView &v) { v.userClicksRiver(71); });
    both([](FakeView &v) { v.userClicksContinent(0); });
    both([](FakeView &v) { v.userClicksContinent(0); });
    both([](FakeView &v) { v.userClicksRiver(0); });

    if (echo == FakeView::Echo::Synchronous) {
        QCOMPARE(f.view.riverEchoes, 3);
        QCOMPARE(f.view.continentEchoes, 3);
    }
}

// While one handler runs, a click on the other group, whatever its index, is
// dropped unseen; once it returns, clicks count again.
void TestSelection::guardDropsOtherHandlersClicks()
{
    struct InterferingView : FakeView {
        void selectContinent(int code) override
        {
            FakeView::selectContinent(code);
            controller->continentClick((code + 1) % 6);
        }
        void selectRiver(int position) override
        {
            FakeView::selectRiver(position);
            listIndex = 0;
            controller->riverClick(0);
            listIndex = position;
        }
    } view;
    SelectionController controller(view);
    view.controller = &controller;

    view.userClicksRiver(70);
    QCOMPARE(controller.selectedContinent(), 1);
    QCOMPARE(view.text, expectedReport(1));

    view.userClicksContinent(4);
    QCOMPARE(controller.selectedContinent(), 4);
    QCOMPARE(view.text, expectedReport(4));
    QCOMPARE(view.reportWrites, 2);

    view.userClicksRiver(71);
    QCOMPARE(view.text, expectedReport(3));
}

void TestSelection::riverClickWithoutValidRiverChangesNothing_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("code");

    QTest::newRow("nothing selected") << -1 << "1";
    QTest::newRow("past the end") << 80 << "1";
    QTest::newRow("far negative") << -32768 << "1";
    QTest::newRow("code beyond the continents") << 5 << "9";
    QTest::newRow("negative code") << 5 << "-1";
    QTest::newRow("fractional code") << 5 << "2.5";
}

void TestSelection::riverClickWithoutValidRiverChangesNothing()
{
    QFETCH(int, position);
    QFETCH(QString, code);

    Fixture f;
    f.view.userClicksContinent(2);
    f.view.codes[5] = code.toStdString();
    const std::string before = f.view.text;

    f.view.userClicksRiver(position);
    QCOMPARE(f.view.text, before);
    QCOMPARE(f.view.reportWrites, 1);
    QCOMPARE(f.view.checkedOption, 2);
    QCOMPARE(f.controller.selectedContinent(), 2);
    QCOMPARE(f.controller.selectedRiver(), 69);

    // The guard is idle again: the next real click is answered.
    f.view.codes[5] = "1";
    f.view.userClicksRiver(70);
    QCOMPARE(f.view.text, expectedReport(1));
}

// The controller reads the catalogue through the view, so a longer list is
// reported in full and the last match is selected.
void TestSelection::reportGrowsWithTheCatalogue()
{
    std::vector<std::string> names, codes;
    for (int i = 0; i < 1000; ++i) {
        names.push_back("р" + std::to_string(i));
        codes.push_back(std::to_string(i % 6));
    }
    FakeView view(names, codes);
    SelectionController controller(view);
    view.controller = &controller;

    view.userClicksContinent(5);
    QCOMPARE(view.listIndex, 995);
    const QStringList lines = QString::fromStdString(view.text).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2 + 166 + 1);
    QCOMPARE(lines[2], QStringLiteral("р5"));
}

QTEST_APPLESS_MAIN(TestSelection)
#include "tst_selection.moc"
