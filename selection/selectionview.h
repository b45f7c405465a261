// The selection room answers the pupil's clicks. Data flows into it from the
// window's controls, which the window filled from the catalogue, and back out
// to them: the controller reads rivers, codes and captions through this
// interface, then writes the report and moves the other group's selection.
//
// SelectionView is everything the controller may do to the window, one member
// per control operation. Positions count from 0. All text is UTF-8.
#pragma once

#include <string>
#include <string_view>

class SelectionView {
public:
    virtual ~SelectionView() = default;

    // List1(0).ListCount
    virtual int riverCount() const = 0;
    // List1(0).List(p)
    virtual std::string riverName(int position) const = 0;
    // List1(1).List(p)
    virtual std::string riverCode(int position) const = 0;
    // read List1(0).ListIndex; -1 when no river is selected
    virtual int selectedRiver() const = 0;
    // assign List1(0).ListIndex = p; may raise List1's Click before returning
    virtual void selectRiver(int position) = 0;
    // assign Option1(c).Value = True; may raise Option1's Click before returning
    virtual void selectContinent(int code) = 0;
    // Option1(c).Caption
    virtual std::string continentCaption(int code) const = 0;
    // read Text1(0).Text
    virtual std::string reportText() const = 0;
    // assign Text1(0).Text
    virtual void setReportText(std::string_view text) = 0;
};
