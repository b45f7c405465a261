// The window's own fixed texts, in UTF-8. The window converts them to Qt's
// strings once, when it builds its controls.
#pragma once

#include <string_view>

namespace texts {

// Left of the caption stands the address of the program's web site.
inline constexpr std::string_view windowTitle = "www.example.org - География - плавателни реки";

inline constexpr std::string_view heading = "География - континенти и реки";
inline constexpr std::string_view riversLabel = "Реки";
inline constexpr std::string_view continentsFrame = "Континенти";

// What a screen reader says of the controls whose captions do not say it.
inline constexpr std::string_view reportName = "Справка";
inline constexpr std::string_view reportDescription =
    "Избраният континент и плавателните му реки; преди първия избор тук е условието на задачата";
inline constexpr std::string_view riverListName = "Реки";
inline constexpr std::string_view riverListDescription =
    "Изберете река, за да видите континента ѝ и всички негови реки";
inline constexpr std::string_view continentsDescription =
    "Изберете континент, за да видите плавателните му реки";

// The exercise this program answers, shown in the report area until the
// first click. Every line ends in CR LF, the last one too; the trailing and
// doubled blanks are part of the text.
inline constexpr std::string_view statement =
    "Да се състави проект, представящ междупредметни връзки География и Информатика.\r\n"
    "Тема на проекта: География - континенти и реки.\r\n"
    "В група от радиобутони да се представят, подредени азбучно, континентите - Австралия, Азия, Африка, Европа, Северна и Южна Америка. \r\n"
    "В списъчно поле да се представят имената на избрани реки като:\r\n"
    "Амазонка, Амударя, Амур, Атабаска, Березина, Брахмапутра, Волга, Ганг, Гарона, Годавари, Дарлинг, Джелам, Днепър, Дон, Дунав, Елба , Енисей, Ефрат,\r\n"
    "Жапура, Журуа, Замбези, Западна Двина, Игуасу, Инд, Иртиш, Искър, Кагера, Клондайк, Колумбия, Конго, Лена, Лимпопо, Лоара, Луалаба, Мадейра,\r\n"
    "Маккензи, Мараньон, Марица, Маханади, Мисисипи, Мисури, Мъри, Мъръмбиджи, Нигер, Нил, Об, Одер, Ока, Ориноко, Отава, Парагвай, Парана, Печора,\r\n"
    "Пийс, Пурус, Рейн, Рио Гранде, Рио Негро, Рона, Руфиджи, Сейнт Лорънс, Сена, Сенегал, Сунгача, Сутледж, Тапажос, Тахо, Тобол, Токантинс, Убанги, Урал, Урал, Уругвай, \r\n"
    "Усури, Хуанхъ, Шелда, Юкон, Ялудзян, Ямуна, Яндзъ\r\n"
    "Имената и в двете групи са уникални, а броят им е различен.\r\n"
    "При събитие On-Click върху елемент от едната група \r\n"
    "проектът да извежда адекватна релация между  континент и реки в него.\r\n"
    "Прочетете допълнителен материал за известни реки.\r\n";

} // namespace texts
