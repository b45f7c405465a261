#include "qttexts.h"

#include <cstring>

namespace {

struct QtText {
    const char *context;
    const char *source;
    const char *bulgarian;
};

constexpr QtText qtTexts[] = {
    {"QWidgetTextControl", "&Copy", "&Копирай"},
    {"QWidgetTextControl", "Copy &Link Location", "Копирай &адреса на връзката"},
    {"QWidgetTextControl", "Select All", "Избери всичко"},
    {"QScrollBar", "Scroll here", "Превърти дотук"},
    {"QScrollBar", "Top", "Най-горе"},
    {"QScrollBar", "Bottom", "Най-долу"},
    {"QScrollBar", "Page up", "Страница нагоре"},
    {"QScrollBar", "Page down", "Страница надолу"},
    {"QScrollBar", "Scroll up", "Превърти нагоре"},
    {"QScrollBar", "Scroll down", "Превърти надолу"},
    {"QScrollBar", "Left edge", "Левият край"},
    {"QScrollBar", "Right edge", "Десният край"},
    {"QScrollBar", "Page left", "Страница наляво"},
    {"QScrollBar", "Page right", "Страница надясно"},
    {"QScrollBar", "Scroll left", "Превърти наляво"},
    {"QScrollBar", "Scroll right", "Превърти надясно"},
};

} // namespace

QString QtTextsInBulgarian::translate(const char *context, const char *sourceText,
                                      const char * /*disambiguation*/, int /*n*/) const
{
    if (!context || !sourceText)
        return {};
    for (const QtText &text : qtTexts)
        if (std::strcmp(text.context, context) == 0 && std::strcmp(text.source, sourceText) == 0)
            return QString::fromUtf8(text.bulgarian);
    return {}; // Qt keeps its own text
}
