#include "oracle.h"

#include "window/mainwindow.h"

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>

namespace {

QAccessibleInterface *accessible(const MainWindow &window, const QString &name)
{
    QObject *control = name.isEmpty() ? const_cast<MainWindow *>(&window)
                                      : window.findChild<QObject *>(name);
    return control ? QAccessible::queryAccessibleInterface(control) : nullptr;
}

QStringList related(QAccessibleInterface *control, QAccessible::Relation relation)
{
    QStringList names;
    for (const auto &[other, kind] : control->relations(relation))
        names << other->object()->objectName();
    names.sort();
    return names;
}

// The labels a screen reader pairs with a control. Qt's item views report no
// relations of their own, so for the river list the pairing comes from the
// label's side, as "label for"; the buddy gives both sides elsewhere.
QStringList labelsOf(const MainWindow &window, QAccessibleInterface *control)
{
    QStringList labels = related(control, QAccessible::Label);
    for (auto *label : window.findChildren<QLabel *>()) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        if (related(iface, QAccessible::Labelled).contains(control->object()->objectName())
            && !labels.contains(label->objectName()))
            labels << label->objectName();
    }
    return labels;
}

// The controls under the window as a screen reader walking down from it
// meets them, by object name: the window's children and the frame's.
QStringList walk(QAccessibleInterface *node)
{
    QStringList seen;
    for (int index = 0; index < node->childCount(); ++index) {
        QAccessibleInterface *child = node->child(index);
        seen << child->object()->objectName();
        if (child->role() == QAccessible::Grouping)
            seen << walk(child);
    }
    return seen;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void treeHoldsWhatIsShown();
    void choicesShowInStates();
};

void TestAccessibility::controls_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("labelledBy");
    QTest::addColumn<QStringList>("labelFor");
    QTest::addColumn<bool>("focusable");
    QTest::addColumn<bool>("readOnly");

    const QStringList none;
    QTest::newRow("window") << "" << QAccessible::Window
                            << "www.example.org - География - плавателни реки" << none << none << false
                            << false;
    QTest::newRow("report area") << "Text1_0" << QAccessible::EditableText << "Справка" << none << none
                                 << true << true;
    QTest::newRow("heading") << "Label1_0" << QAccessible::StaticText
                             << "География - континенти и реки" << none << none << false << true;
    QTest::newRow("rivers label") << "Label1_1" << QAccessible::StaticText << "Реки" << none
                                  << QStringList{"List1_0"} << false << true;
    QTest::newRow("river list") << "List1_0" << QAccessible::List << "Реки" << QStringList{"Label1_1"}
                                << none << true << false;
    QTest::newRow("continents") << "Frame1" << QAccessible::Grouping << "Континенти" << none
                                << QStringList{"Option1_0", "Option1_1", "Option1_2", "Option1_3",
                                               "Option1_4", "Option1_5"}
                                << false << false;
    const char *captions[] = {"Австралия", "Азия", "Африка", "Европа", "Северна Америка", "Южна Америка"};
    for (int code = 0; code < 6; ++code)
        QTest::addRow("%s", captions[code])
            << QStringLiteral("Option1_%1").arg(code) << QAccessible::RadioButton
            << QString::fromUtf8(captions[code]) << QStringList{"Frame1"} << none << true << false;
}

void TestAccessibility::controls()
{
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QStringList, labelledBy);
    QFETCH(QStringList, labelFor);
    QFETCH(bool, focusable);
    QFETCH(bool, readOnly);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface *iface = accessible(window, control);
    QVERIFY(iface && iface->isValid());

    QCOMPARE(iface->role(), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(labelsOf(window, iface), labelledBy);
    QCOMPARE(related(iface, QAccessible::Labelled), labelFor);
    const QAccessible::State state = iface->state();
    QCOMPARE(bool(state.focusable), focusable);
    QCOMPARE(bool(state.readOnly), readOnly);
    QVERIFY(!state.invisible);
    QVERIFY(!state.checked);
    QVERIFY(!state.selected);
}

void TestAccessibility::treeHoldsWhatIsShown()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QAccessibleInterface *root = accessible(window, {});

    QStringList seen = walk(root);
    seen.sort();
    QCOMPARE(seen, QStringList({"Frame1", "Label1_0", "Label1_1", "List1_0", "Option1_0", "Option1_1",
                                "Option1_2", "Option1_3", "Option1_4", "Option1_5", "Text1_0"}));

    // A screen reader finds a control's place among its siblings by asking
    // the parent; the answers must agree with the children themselves.
    for (int index = 0; index < root->childCount(); ++index) {
        QAccessibleInterface *child = root->child(index);
        QCOMPARE(child->parent(), root);
        QCOMPARE(root->indexOfChild(child), index);
    }
    QCOMPARE(root->indexOfChild(accessible(window, QStringLiteral("List1_1"))), -1);
}

void TestAccessibility::choicesShowInStates()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *rivers = window.findChild<QListWidget *>(QStringLiteral("List1_0"));
    auto *europe = window.findChild<QRadioButton *>(QStringLiteral("Option1_3"));
    QAccessibleInterface *list = accessible(window, QStringLiteral("List1_0"));
    QAccessibleInterface *europeButton = accessible(window, QStringLiteral("Option1_3"));
    QAccessibleInterface *asiaButton = accessible(window, QStringLiteral("Option1_1"));

    QTest::mouseClick(europe, Qt::LeftButton);
    QVERIFY(europeButton->state().checked);
    QVERIFY(!asiaButton->state().checked);
    QCOMPARE(list->tableInterface()->selectedCellCount(), 1);
    QAccessibleInterface *selected = list->tableInterface()->selectedCells().first();
    QCOMPARE(selected->text(QAccessible::Name), QStringLiteral("Шелда"));
    QVERIFY(selected->state().selected);

    // Урал at 70 belongs to Asia: the choice moves to Asia's button.
    rivers->scrollToItem(rivers->item(70));
    QTest::mouseClick(rivers->viewport(), Qt::LeftButton, {},
                      rivers->visualItemRect(rivers->item(70)).center());
    QVERIFY(asiaButton->state().checked);
    QVERIFY(!europeButton->state().checked);
    selected = list->tableInterface()->selectedCells().first();
    QCOMPARE(selected->text(QAccessible::Name), QStringLiteral("Урал"));
    QCOMPARE(selected->tableCellInterface()->rowIndex(), 70);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
