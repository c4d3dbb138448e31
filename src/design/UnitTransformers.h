// The eleven named transformers that show model lengths, frames, angles and
// ratios in the display unit. Their rules read the helper's unit state at
// every call, so a change of unit needs no new registration.
#pragma once

#include <QVariant>
#include <optional>

namespace ql {

class ValueTransformerRegistry;
class ZVDesignHelper;

// Registers each name not yet taken; the helper must outlive the registry's
// use of the transformers.
void registerUnitTransformers(ValueTransformerRegistry& registry, ZVDesignHelper& helper);

// The number a typed text starts with (a unit, "%" or "°" behind it is
// ignored); 0 when there is none. Numbers pass through.
double leadingNumber(const QVariant& value);
// The same number, or nothing when the text does not start with one.
std::optional<double> typedNumber(const QVariant& value);

} // namespace ql
