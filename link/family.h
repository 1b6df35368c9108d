#pragma once
// The instrument families: one definition for the program, kzctl and the
// simulator. Header only, so the simulator needs no library for it.
#include <QString>
#include <optional>

enum class Family { ThreePhase, SinglePhase, Kz827 };

// The family's name on the command lines of kzctl and kzsim.
inline QString FamilyName(Family family)
{
    switch (family) {
    case Family::ThreePhase:
        return QStringLiteral("three-phase");
    case Family::SinglePhase:
        return QStringLiteral("single-phase");
    case Family::Kz827:
        break;
    }
    return QStringLiteral("kz827");
}

// "three-phase", "single-phase" or "kz827"; nothing for any other name.
inline std::optional<Family> ParseFamily(const QString &name)
{
    for (Family f : {Family::ThreePhase, Family::SinglePhase, Family::Kz827})
        if (name == FamilyName(f))
            return f;
    return std::nullopt;
}
