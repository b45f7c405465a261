// The window room: the one window a pupil sees, and the end of the data flow.
//
// At start the window copies the catalogue into its controls: continent names
// into the option buttons' captions, river names into the visible list and
// continent codes into a hidden list beside it. From then on it forwards the
// two click events to the selection controller and serves the controller's
// reads and writes of those controls through SelectionView. Strings cross
// from UTF-8 to Qt's and back here, and nowhere else.
#pragma once

#include "selection/selectioncontroller.h"
#include "selection/selectionview.h"

#include <QWidget>

#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

class MainWindow : public QWidget, public SelectionView {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    int riverCount() const override;
    std::string riverName(int position) const override;
    std::string riverCode(int position) const override;
    int selectedRiver() const override;
    void selectRiver(int position) override;
    void selectContinent(int code) override;
    std::string continentCaption(int code) const override;
    std::string reportText() const override;
    void setReportText(std::string_view text) override;

private:
    void createReportArea();
    void createLabels();
    void createContinentGroup();
    void createRiverLists();
    void setTabOrder();
    void routeClicks();
    void nameForAssistiveTechnology();
    void showFocusRing();

    std::array<QPlainTextEdit *, 1> Text1{};
    std::array<QLabel *, 2> Label1{};
    QGroupBox *Frame1 = nullptr;
    std::array<QRadioButton *, 6> Option1{};
    std::array<QListWidget *, 2> List1{};

    // Text1(0).Text exactly as it was last assigned, CR LF included; the
    // widget itself only knows lines.
    std::string report;
    SelectionController controller{*this};
};
