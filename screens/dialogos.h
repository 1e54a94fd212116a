// The questions the screens ask, behind replaceable functions so tests can
// answer them without a modal loop.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace screens {

struct Dialogos {
    // Yes/No box; true for Yes.
    static std::function<bool(QWidget* padre, const QString& pregunta)> confirmar;
    // Save dialog with the export filters: the chosen file name and filter
    // (1-based), or an empty name when cancelled.
    static std::function<std::pair<QString, int>(QWidget* padre, const QString& nombre)> guardarComo;
    static void restablecer();
};

}  // namespace screens
