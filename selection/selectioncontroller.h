// The selection controller: the program's logic, driven by two clicks.
//
// A click on a river selects that river's continent; a click on a continent
// moves the river list to that continent's last river. Either way the report
// area then lists the continent and all of its rivers. The controller keeps
// no copy of the catalogue: it reads the rivers, their codes and the
// continent captions back through the SelectionView, by position.
//
// Selecting something in code may make the window raise that control's click
// again, nested inside the assignment. ClickSource remembers which handler is
// running so that such an echo is dropped, and every user action writes the
// report exactly once.
#pragma once

#include "selectionview.h"

#include <optional>

class SelectionController {
public:
    explicit SelectionController(SelectionView &view);

    // Click of Option1, with the member index: the continent code.
    void continentClick(int memberIndex);
    // Click of List1. The member index does not matter: the visible list is
    // the only one a pupil can click.
    void riverClick(int memberIndex);

    std::optional<int> selectedRiver() const { return SelectedRiver; }
    std::optional<int> selectedContinent() const { return SelectedContinent; }

private:
    enum Source : short { None = 0, River = 1, Continent = 2 };

    void ShowContinentRivers();

    SelectionView &view;
    std::optional<int> SelectedRiver;
    std::optional<int> SelectedContinent;
    Source ClickSource = None;
};
