// Qt's own words in the window, in Bulgarian. The report area and the scroll
// bars bring context menus whose items Qt writes in English; a pupil should
// meet the same language there as everywhere else in the window.
//
// The handful of items this window can show are kept here rather than in
// Qt's full translation catalogue, which would add a package and a file to
// read at start for a dozen strings.
#pragma once

#include <QTranslator>

class QtTextsInBulgarian : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override;
};
