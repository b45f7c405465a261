#include "selectioncontroller.h"

#include "catalogue/catalogue.h"

#include <cmath>
#include <string>

namespace {

constexpr std::string_view lineEnd = "\r\n";

bool isContinentCode(double value)
{
    return value >= 0 && value < double(catalogue::continents.size()) && std::trunc(value) == value;
}

} // namespace

SelectionController::SelectionController(SelectionView &view)
    : view(view)
{
}

void SelectionController::continentClick(int memberIndex)
{
    if (ClickSource == River)
        return; // the echo of our own option assignment
    if (!isContinentCode(memberIndex))
        return;

    ClickSource = Continent;
    SelectedContinent = memberIndex;
    ShowContinentRivers();
    if (SelectedRiver)
        view.selectRiver(*SelectedRiver);
    ClickSource = None;
}

void SelectionController::riverClick(int /*memberIndex*/)
{
    if (ClickSource == Continent)
        return; // the echo of our own list assignment

    // A click can reach us with nothing selected (a list cleared by the
    // toolkit) or, from a misbehaving view, with a stale position. Either
    // way there is no river to report on, so nothing changes.
    const int position = view.selectedRiver();
    if (position < 0 || position >= view.riverCount())
        return;
    const double code = catalogue::parseLeadingNumber(view.riverCode(position));
    if (!isContinentCode(code))
        return;

    ClickSource = River;
    SelectedRiver = position;
    SelectedContinent = int(code);
    view.selectContinent(*SelectedContinent);
    ShowContinentRivers();
    ClickSource = None;
}

// Builds the whole report first and assigns it once: the text is the same as
// appending line by line, but the area changes (and is announced) only once.
void SelectionController::ShowContinentRivers()
{
    const int count = view.riverCount();
    std::string report;
    report.append("Избран континент: ")
        .append(view.continentCaption(*SelectedContinent))
        .append(lineEnd);
    report.append("Реки: ").append(lineEnd);
    for (int position = 0; position < count; ++position) {
        if (catalogue::parseLeadingNumber(view.riverCode(position)) == *SelectedContinent) {
            report.append(view.riverName(position)).append(lineEnd);
            SelectedRiver = position;
        }
    }
    view.setReportText(report);
}
