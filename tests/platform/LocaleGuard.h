// Switches the process to a locale whose decimal separator is a comma, restoring the previous one afterwards.
#pragma once

#include <clocale>
#include <string>

namespace platformtest
{

class DecimalCommaLocale
{
public:
    DecimalCommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"})
        {
            if (std::setlocale(LC_ALL, name) && std::localeconv()->decimal_point[0] == ',')
                return;
        }
        std::setlocale(LC_ALL, m_previous.c_str());
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }

    // False when the system has no such locale installed (the caller then skips).
    bool Active() const { return std::localeconv()->decimal_point[0] == ','; }

private:
    std::string m_previous;
};

} // namespace platformtest
