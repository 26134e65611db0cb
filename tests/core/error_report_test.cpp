#include "core/error_report.h"

#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

constexpr NumberedText kRoutines[] = {{1, "CreateFVInfo: "}, {6, "GetFVValue: "}};
constexpr NumberedText kMessages[] = {{8, "abscissa out of range."},
                                      {0x10, "Error in a called routine."}};
constexpr ModuleErrorTexts kTexts{kRoutines, kMessages};

TEST(ErrorReport, CodeKeepsRoutineInLowBitsAndMessageInHighBits) {
    const ErrorCode code = MakeErrorCode(0x10, 6);
    EXPECT_EQ(code, 0x00100006u);
    EXPECT_EQ(ErrorRoutine(code), 6u);
    EXPECT_EQ(ErrorMessage(code), 0x10u);
}

TEST(ErrorReport, ComposesRoutineThenMessageAndDropsUnknownParts) {
    EXPECT_EQ(ComposeErrorText(kTexts, MakeErrorCode(8, 6)), "GetFVValue: abscissa out of range.");
    EXPECT_EQ(ComposeErrorText(kTexts, MakeErrorCode(8, 42)), "abscissa out of range.");
    EXPECT_EQ(ComposeErrorText(kTexts, MakeErrorCode(9, 6)), "GetFVValue: ");
    // 0x10 is the message after 9, not decimal 10.
    EXPECT_EQ(ComposeErrorText(kTexts, MakeErrorCode(10, 1)), "CreateFVInfo: ");
    EXPECT_EQ(ComposeErrorText(kTexts, MakeErrorCode(16, 1)),
              "CreateFVInfo: Error in a called routine.");
}

TEST(ErrorReport, ReportsThroughTheErrorBoxInOrder) {
    testing::CapturedMessages captured;
    ReportModuleError(kTexts, MakeErrorCode(8, 6));
    ReportModuleError(kTexts, MakeErrorCode(0x10, 1));
    EXPECT_EQ(captured.errors(),
              (std::vector<std::string>{"GetFVValue: abscissa out of range.",
                                        "CreateFVInfo: Error in a called routine."}));
    EXPECT_TRUE(captured.help().empty());
}

TEST(MessageSink, NullTextShowsNothingAndHelpHasItsOwnKind) {
    testing::CapturedMessages captured;
    ShowErrorMessage(nullptr);
    ShowHelpMessage(nullptr);
    ShowHelpMessage("advice");
    ASSERT_EQ(captured.all().size(), 1u);
    EXPECT_EQ(captured.all()[0].kind, MessageKind::Help);
    EXPECT_EQ(captured.all()[0].text, "advice");
}

TEST(MessageSink, WithoutASinkMessagesAreDropped) {
    MessageSink previous = InstallMessageSink(nullptr);
    ShowErrorMessage("nobody listens");
    InstallMessageSink(previous);
    SUCCEED() << "no sink installed: the library must neither crash nor print";
}

} // namespace
} // namespace tolvane
