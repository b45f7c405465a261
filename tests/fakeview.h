// A stand-in for the window's controls, for driving the selection controller
// without Qt. It holds the catalogue the way the window does (a list of
// names, a list of codes, six captions, a report text) and records what the
// controller does to it.
//
// Like a real toolkit it can raise the echo click synchronously, inside the
// controller's own assignment, or stay silent.
#pragma once

#include "catalogue/catalogue.h"
#include "selection/selectioncontroller.h"
#include "selection/selectionview.h"

#include <optional>
#include <string>
#include <vector>

class FakeView : public SelectionView {
public:
    enum class Echo { Silent, Synchronous };

    // Filled from the catalogue, the way the window fills its controls.
    FakeView()
    {
        for (const auto &river : catalogue::rivers) {
            names.emplace_back(river.name);
            codes.emplace_back(river.code);
        }
        for (const auto name : catalogue::continents)
            captions.emplace_back(name);
    }

    FakeView(std::vector<std::string> riverNames, std::vector<std::string> riverCodes)
        : FakeView()
    {
        names = std::move(riverNames);
        codes = std::move(riverCodes);
    }

    // Where echoes go; set once the controller exists.
    SelectionController *controller = nullptr;
    Echo echo = Echo::Silent;

    std::vector<std::string> names;
    std::vector<std::string> codes;
    std::vector<std::string> captions;
    int listIndex = -1;
    std::optional<int> checkedOption;
    std::string text = "statement";

    int reportWrites = 0;
    int riverEchoes = 0;
    int continentEchoes = 0;

    // What a pupil's click does before the controller hears of it.
    void userClicksRiver(int position)
    {
        listIndex = position;
        controller->riverClick(0);
    }
    void userClicksContinent(int code)
    {
        checkedOption = code;
        controller->continentClick(code);
    }

    int riverCount() const override { return int(names.size()); }
    std::string riverName(int position) const override { return names.at(position); }
    std::string riverCode(int position) const override { return codes.at(position); }
    int selectedRiver() const override { return listIndex; }
    void selectRiver(int position) override
    {
        listIndex = position;
        if (echo == Echo::Synchronous) {
            ++riverEchoes;
            controller->riverClick(0);
        }
    }
    void selectContinent(int code) override
    {
        checkedOption = code;
        if (echo == Echo::Synchronous) {
            ++continentEchoes;
            controller->continentClick(code);
        }
    }
    std::string continentCaption(int code) const override { return captions.at(code); }
    std::string reportText() const override { return text; }
    void setReportText(std::string_view report) override
    {
        text = report;
        ++reportWrites;
    }
};
