#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// An edit that holds an integer, with spin arrows when a range is given. As with the Windows spin
// control, the range binds only the arrows: whatever the author types stays as typed, and whether it is
// an integer at all is checked when the dialog is confirmed (IntegerRefusal).
class IntegerEdit : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit IntegerEdit(QWidget* parent = nullptr);

    // Shows the arrows, which stop at `low` and `high`.
    void SetSpinRange(int32_t low, int32_t high);
    void SetValue(int32_t value);
    // The value typed, or nothing when the text is not an integer.
    std::optional<int32_t> Value() const;

    void stepBy(int steps) override;
    // Anything may be typed; the check comes on OK.
    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }

  protected:
    StepEnabled stepEnabled() const override;

  private:
    bool spin_ = false;
    int32_t low_ = 0;
    int32_t high_ = 0;
};

// The dialogs' reading of an integer field: blanks around, an optional sign and decimal digits, within
// 32 bits; anything else is not an integer.
std::optional<int32_t> ParseIntegerField(std::string_view text);

// The framework's words for a field that does not hold an integer.
extern const char* const kNotAnIntegerMessage;

// A field that OK cannot store, and what the author is told about it.
struct FieldRefusal {
    QWidget* field;
    std::string message;
};

// The refusal of an edit that does not hold an integer, or nothing.
std::optional<FieldRefusal> IntegerRefusal(IntegerEdit& edit);
// Shows the message through the platform's message box and gives the field the focus with its text
// selected, so that the author corrects it there. The field's page must be showing.
void Refuse(const FieldRefusal& refusal);
