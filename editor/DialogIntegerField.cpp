#include "editor/DialogIntegerField.h"

#include <QLineEdit>
#include <algorithm>
#include <cstdint>

#include "platform/MessageBox.h"

std::optional<int> ParseDialogInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    int i = 0;
    const bool negative = i < trimmed.size() && trimmed[i] == QLatin1Char('-');
    if (i < trimmed.size() && (trimmed[i] == QLatin1Char('-') || trimmed[i] == QLatin1Char('+'))) ++i;
    if (i == trimmed.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        // Past 32 bits the number can only grow: it is refused like any other text that is no integer.
        if (value > int64_t{std::numeric_limits<int>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

DialogIntegerField::DialogIntegerField(QWidget* parent) : QAbstractSpinBox(parent) {
    // The box's own validation accepts every text: the dialog judges it when it is confirmed.
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void DialogIntegerField::SetSpinRange(int minimum, int maximum) {
    spinMinimum_ = minimum;
    spinMaximum_ = std::max(minimum, maximum);
}

void DialogIntegerField::HideArrows() {
    setButtonSymbols(QAbstractSpinBox::NoButtons);
}

void DialogIntegerField::SetValue(int value) {
    lineEdit()->setText(QString::number(value));
}

std::optional<int> DialogIntegerField::Value() const {
    return ParseDialogInteger(text());
}

// A text that is no integer steps from the bottom of the range, as an up-down control whose buddy holds
// no number starts from its own position.
void DialogIntegerField::stepBy(int steps) {
    const int64_t from = std::clamp<int64_t>(Value().value_or(spinMinimum_), spinMinimum_, spinMaximum_);
    const int64_t to = std::clamp<int64_t>(from + steps, spinMinimum_, spinMaximum_);
    SetValue(static_cast<int>(to));
    selectAll();
}

// Only a value at an end of the range stops an arrow: from a typed value beyond the range either arrow
// brings it back inside.
QAbstractSpinBox::StepEnabled DialogIntegerField::stepEnabled() const {
    if (buttonSymbols() == QAbstractSpinBox::NoButtons) return StepNone;
    const std::optional<int> value = Value();
    StepEnabled enabled = StepNone;
    if (value != spinMaximum_) enabled |= StepUpEnabled;
    if (value != spinMinimum_) enabled |= StepDownEnabled;
    return enabled;
}

DialogIntegerField* MakeIntegerField(QWidget* parent, int value, std::optional<IntegerRange> spin) {
    auto* field = new DialogIntegerField(parent);
    if (spin) field->SetSpinRange(spin->minimum, spin->maximum);
    field->SetValue(value);
    return field;
}

std::optional<FieldRefusal> IntegerRefusal(DialogIntegerField& field, std::optional<IntegerRange> range) {
    const std::optional<int> value = field.Value();
    if (!value) return FieldRefusal{&field, "Please enter an integer."};
    if (range && (*value < range->minimum || *value > range->maximum))
        return FieldRefusal{&field, "Please enter an integer between " + std::to_string(range->minimum) +
                                        " and " + std::to_string(range->maximum) + "."};
    return std::nullopt;
}

void Refuse(const FieldRefusal& refusal) {
    platform::Messages().Show(refusal.message, "", platform::MessageIcon::exclamation,
                              platform::MessageButtons::ok);
    refusal.field->setFocus(Qt::OtherFocusReason);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(refusal.field)) spin->selectAll();
    if (auto* line = qobject_cast<QLineEdit*>(refusal.field)) line->selectAll();
}

std::optional<int> ReadDialogInteger(DialogIntegerField& field, std::optional<IntegerRange> range) {
    if (std::optional<FieldRefusal> refusal = IntegerRefusal(field, range)) {
        Refuse(*refusal);
        return std::nullopt;
    }
    return field.Value();
}
