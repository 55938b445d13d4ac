#include "graph/ThresholdsDialog.h"

#include "tests/support/ScriptedPrompts.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

// The fields show the thresholds in force; OK takes whole numbers or empty fields, an upper
// above the lower, and otherwise says what is wrong and stays open.
TEST(ThresholdsDialog, TakesWholeNumbersOrNothingTheUpperAboveTheLower)
{
    ScriptedPrompts prompts;
    ThresholdsDialog dialog(prompts, {700, std::nullopt});
    EXPECT_EQ(dialog.upperField()->text(), "700");
    EXPECT_EQ(dialog.lowerField()->text(), "");

    const auto typeAndConfirm = [&](const char *upper, const char *lower) {
        dialog.setResult(QDialog::Rejected);
        dialog.upperField()->setText(QString::fromUtf8(upper));
        dialog.lowerField()->setText(QString::fromUtf8(lower));
        dialog.accept();
        return dialog.result() == QDialog::Accepted;
    };
    for (const auto &[upper, lower] : {std::pair("7x0", ""), std::pair("", "40000"),
                                       std::pair("300", "300"), std::pair("12.5", "")})
        EXPECT_FALSE(typeAndConfirm(upper, lower)) << upper << " / " << lower;
    EXPECT_EQ(prompts.texts(),
              (QStringList{"Введите целое число градусов или оставьте поле пустым.",
                           "Введите целое число градусов или оставьте поле пустым.",
                           "Верхний порог должен быть выше нижнего.",
                           "Введите целое число градусов или оставьте поле пустым."}));
    EXPECT_EQ(dialog.thresholds(), (TemperatureThresholds{700, std::nullopt}));

    EXPECT_TRUE(typeAndConfirm(" 850 ", "-20"));
    EXPECT_EQ(dialog.thresholds(), (TemperatureThresholds{850, -20}));
    EXPECT_TRUE(typeAndConfirm("", ""));
    EXPECT_EQ(dialog.thresholds(), TemperatureThresholds{});
}

} // namespace
