// The window's controls as the widget tests reach them, by their names, and
// what a test reads back from them: the chosen continent and river.
#pragma once

#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QWidget>

#include <array>

struct WindowControls {
    QPlainTextEdit *text = nullptr;
    QListWidget *rivers = nullptr;
    QListWidget *codes = nullptr;
    std::array<QRadioButton *, 6> options{};

    void find(const QWidget &window)
    {
        text = window.findChild<QPlainTextEdit *>(QStringLiteral("Text1_0"));
        rivers = window.findChild<QListWidget *>(QStringLiteral("List1_0"));
        codes = window.findChild<QListWidget *>(QStringLiteral("List1_1"));
        for (int code = 0; code < int(options.size()); ++code)
            options[code] = window.findChild<QRadioButton *>(QStringLiteral("Option1_%1").arg(code));
    }

    // The checked continent's code, or -1 when none is.
    int checkedOption() const
    {
        for (int code = 0; code < int(options.size()); ++code)
            if (options[code]->isChecked())
                return code;
        return -1;
    }
    // The one selected river's position; with none or several selected, a
    // negative number that tells how many (-1 for none).
    int selectedRiver() const
    {
        const auto selected = rivers->selectedItems();
        return selected.size() == 1 ? rivers->row(selected.first()) : -int(selected.size()) - 1;
    }
};
