#include "editor/IntegerEdit.h"

#include <QLineEdit>
#include <algorithm>
#include <cctype>
#include <limits>

#include "platform/MessageBox.h"

const char* const kNotAnIntegerMessage = "Please enter an integer.";

IntegerEdit::IntegerEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(false);
}

void IntegerEdit::SetSpinRange(int32_t low, int32_t high) {
    spin_ = true;
    low_ = low;
    high_ = high;
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void IntegerEdit::SetValue(int32_t value) {
    lineEdit()->setText(QString::number(value));
}

std::optional<int32_t> IntegerEdit::Value() const {
    return ParseIntegerField(lineEdit()->text().toStdString());
}

void IntegerEdit::stepBy(int steps) {
    if (!spin_) return;
    // A text that is no integer starts the arrows from the bottom of the range.
    const int64_t current = Value().value_or(low_);
    const int64_t next = std::clamp<int64_t>(current + steps, low_, high_);
    SetValue(static_cast<int32_t>(next));
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled IntegerEdit::stepEnabled() const {
    if (!spin_) return StepNone;
    const std::optional<int32_t> value = Value();
    StepEnabled enabled = StepNone;
    // Only a value at an end of the range stops an arrow: from a typed value beyond the range either arrow
    // brings it back to the nearer end.
    if (value != high_) enabled |= StepUpEnabled;
    if (value != low_) enabled |= StepDownEnabled;
    return enabled;
}

std::optional<int32_t> ParseIntegerField(std::string_view text) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

void Refuse(const FieldRefusal& refusal) {
    platform::Messages().Show(refusal.message, "", platform::MessageIcon::exclamation,
                              platform::MessageButtons::ok);
    refusal.field->setFocus(Qt::OtherFocusReason);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(refusal.field)) spin->selectAll();
    if (auto* line = qobject_cast<QLineEdit*>(refusal.field)) line->selectAll();
}

std::optional<FieldRefusal> IntegerRefusal(IntegerEdit& edit) {
    if (edit.Value()) return std::nullopt;
    return FieldRefusal{&edit, kNotAnIntegerMessage};
}
