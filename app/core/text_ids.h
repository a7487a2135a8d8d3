// Identifiers of the language-file texts the program shows. Window titles use
// the dialog's identifier, labels their control's identifier.
#pragma once

#include <cstdint>

namespace pellam::text {

// Captions and the common button texts, loaded once at start-up.
inline constexpr std::int32_t kInformationCaption = 5500;
inline constexpr std::int32_t kQuestionCaption = 5501;
inline constexpr std::int32_t kErrorCaption = 5502;
inline constexpr std::int32_t kOk = 6000;
inline constexpr std::int32_t kCancel = 6001;

// Window titles.
inline constexpr std::int32_t kAdminIdTitle = 5000;
inline constexpr std::int32_t kMainTitle = 5001;
inline constexpr std::int32_t kAboutTitle = 5503;

// Main window and version dialog.
inline constexpr std::int32_t kProgramTitle = 1100;
inline constexpr std::int32_t kMainHeading = 3000;
inline constexpr std::int32_t kEndButton = 6007;
inline constexpr std::int32_t kVersionButton = 6008;
// In a build with the development keys only: the version dialog's warning.
inline constexpr std::int32_t kDevelopmentKeysNotice = 3008;

// Administrator-ID dialog.
inline constexpr std::int32_t kAdminIdInstruction = 1000;

// Messages of start-up, the gate and the exit path.
inline constexpr std::int32_t kNotAdministrator = 9000;
inline constexpr std::int32_t kReaderNotOpened = 9001;
inline constexpr std::int32_t kStartBackupFailed = 9002;
inline constexpr std::int32_t kListNotOpened = 9003;
inline constexpr std::int32_t kListNotRead = 9004;
inline constexpr std::int32_t kExitBackupFailed = 9008;
inline constexpr std::int32_t kNotAdminCard = 9011;
inline constexpr std::int32_t kForeignRecoveryCopy = 9023;  // also before a log append
inline constexpr std::int32_t kAdminIdNotRead = 7002;

// Card work of the operations: the card-wait questions and the failures.
inline constexpr std::int32_t kCardNotRead = 9007;
inline constexpr std::int32_t kReaderNotClosed = 9009;
inline constexpr std::int32_t kPlaceCard = 9010;
inline constexpr std::int32_t kNotUserCard = 9012;
inline constexpr std::int32_t kNotBlankCard = 9013;
inline constexpr std::int32_t kKeysNotSet = 9014;
inline constexpr std::int32_t kCardNotWritten = 9015;
inline constexpr std::int32_t kAlreadyBlank = 9016;
inline constexpr std::int32_t kWrongCardKind = 9020;
inline constexpr std::int32_t kNotTheReadCard = 9021;
inline constexpr std::int32_t kNotCodeCard = 9022;
inline constexpr std::int32_t kOtherAdministrator = 7006;
inline constexpr std::int32_t kListNotWritten = 9006;
inline constexpr std::int32_t kLogNotWritten = 7013;
inline constexpr std::int32_t kCardUseNotStored = 7017;

// Questions and failures of single operations.
inline constexpr std::int32_t kReissueQuestion = 7003;  // the user ID is listed already
inline constexpr std::int32_t kListFull = 7004;
inline constexpr std::int32_t kRetryNotReset = 7009;
inline constexpr std::int32_t kDeleteIdQuestion = 7010;
inline constexpr std::int32_t kNotInitialised = 7011;
inline constexpr std::int32_t kListLineNotDeleted = 7012;
inline constexpr std::int32_t kNotListed = 7014;
inline constexpr std::int32_t kLockoutOffQuestion = 7016;  // lock-out count 0 with PIN check on

// Refused typed data: user data, PIN settings, user code.
inline constexpr std::int32_t kUserIdMissing = 9800;
inline constexpr std::int32_t kUserIdTooLong = 9700;
inline constexpr std::int32_t kUserIdControlByte = 9900;
inline constexpr std::int32_t kPasswordTooLong = 9701;
inline constexpr std::int32_t kPasswordsDiffer = 7005;
inline constexpr std::int32_t kNameTooLong = 9705;
inline constexpr std::int32_t kCommentTooLong = 9710;
inline constexpr std::int32_t kPinTooShort = 9803;
inline constexpr std::int32_t kPinTooLong = 9703;
inline constexpr std::int32_t kPinsDiffer = 7015;
inline constexpr std::int32_t kPinNotDigits = 9903;
inline constexpr std::int32_t kLockoutNotDigits = 9909;
inline constexpr std::int32_t kLockoutTooLarge = 9702;
inline constexpr std::int32_t kUserCodeNotDigits = 9911;
inline constexpr std::int32_t kUserCodeMissing = 9812;
inline constexpr std::int32_t kUserCodeTooSmall = 9811;
inline constexpr std::int32_t kUserCodeTooLarge = 9711;

// Refused issue information: count, year, month, day.
inline constexpr std::int32_t kCountNotDigits = 9902;
inline constexpr std::int32_t kCountTooLarge = 9706;
inline constexpr std::int32_t kYearNotDigits = 9906;
inline constexpr std::int32_t kYearTooLarge = 9707;
inline constexpr std::int32_t kMonthNotDigits = 9907;
inline constexpr std::int32_t kMonthTooSmall = 9808;
inline constexpr std::int32_t kMonthTooLarge = 9708;
inline constexpr std::int32_t kDayNotDigits = 9908;
inline constexpr std::int32_t kDayTooSmall = 9809;
inline constexpr std::int32_t kDayTooLarge = 9709;

// The Issue dialog's two card uses, as its drop-down list shows them.
inline constexpr std::int32_t kUserIdCardUse = 1031;
inline constexpr std::int32_t kUserCodeCardUse = 1032;

// Completion notices.
inline constexpr std::int32_t kIssued = 4000;
inline constexpr std::int32_t kUpdated = 4001;
inline constexpr std::int32_t kPinChanged = 4002;
inline constexpr std::int32_t kPinUnlocked = 4003;
inline constexpr std::int32_t kInitialised = 4004;

// Every text any window or message of the program asks for, including those
// of the operation dialogs. Each shipped language file must hold all of them.
// clang-format off
inline constexpr std::int32_t kAllProgramTexts[] = {
    // titles
    5000, 5001, 5002, 5003, 5004, 5005, 5006, 5007, 5503,
    // captions, common buttons
    5500, 5501, 5502, 6000, 6001,
    // main window: title line, heading, buttons and their descriptions
    1100, 3000, 6002, 6003, 6004, 6005, 6006, 6007, 6008, 6010, 6011, 6012, 6013, 6014, 6015,
    // labels of the dialogs
    1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017,
    1018, 1019, 1020, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 3004, 3005, 3006, 3007,
    // the version dialog's development-keys warning
    3008,
    // completion notices
    4000, 4001, 4002, 4003, 4004,
    // operation questions and failures
    7002, 7003, 7004, 7005, 7006, 7009, 7010, 7011, 7012, 7013, 7014, 7015, 7016, 7017,
    // reader, card and start-up problems
    9000, 9001, 9002, 9003, 9004, 9006, 9007, 9008, 9009, 9010, 9011, 9012, 9013, 9014, 9015, 9016, 9020, 9021, 9022,
    9023,
    // too long or too large
    9700, 9701, 9702, 9703, 9705, 9706, 9707, 9708, 9709, 9710, 9711,
    // missing or too small
    9800, 9803, 9808, 9809, 9811, 9812,
    // invalid characters
    9900, 9902, 9903, 9906, 9907, 9908, 9909, 9911,
};
// clang-format on

}  // namespace pellam::text
