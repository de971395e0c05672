#pragma once
// The colouring of scripts in the editor: keyword groups with their colours, remarks,
// strings and numbers. Pure: a style for every byte of a text, no toolkit.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qp {

enum class VbsStyle : uint8_t {
    Default,
    Number,
    KeyWord,
    Function,
    Property,
    Method,
    Object,
    Constant,
    Remark,
    String,
};
inline constexpr int kVbsStyleCount = 10;

// Colours as 0x00BBGGRR values, indexed by style; every background is white.
inline constexpr std::array<uint32_t, kVbsStyleCount> kVbsStyleColors = {
    0,         // default: black
    128,       // numbers: dark red
    32768,     // key words: green
    16711680,  // functions: blue
    16711808,  // properties: violet
    8388736,   // methods: purple
    33023,     // objects: orange
    32896,     // constants: olive
    10485760,  // remarks: dark blue
    255,       // strings: red
};
inline constexpr uint32_t kVbsBackground = 16777215;

// The words of each group. A word in two groups takes the first group's colour here
// (Replace is a function).
inline constexpr std::array<std::string_view, 54> kKeyWords = {
    "And", "As", "Call", "Case", "Class", "Const", "Dim", "Do",
    "Each", "Else", "ElseIf", "Empty", "End", "Eqv", "Erase", "Error",
    "Execute", "Exit", "Explicit", "For", "Function", "Get", "Goto", "If",
    "Imp", "Is", "Let", "Loop", "Mod", "Next", "New", "Not",
    "Nothing", "Null", "On", "Option", "Or", "Private", "Property", "Public",
    "Randomize", "ReDim", "Rem", "Resume", "Select", "Set", "Stop", "Sub",
    "Then", "To", "Until", "Wend", "While", "With",
};
static_assert(kKeyWords.size() == 54);

inline constexpr std::array<std::string_view, 91> kFunctions = {
    "Abs", "Array", "Asc", "Atn", "CBool", "CByte", "CCur", "CDate",
    "CDbl", "Chr", "CInt", "CLng", "Cos", "CSng", "CStr", "Date",
    "DateAddFunction", "DateDiff", "DatePart", "DateSerial", "DateValue", "Day", "Eval", "Exp",
    "Filter", "Fix", "FormatCurrency", "FormatDateTime", "FormatNumber", "FormatPercent", "GetObject", "GetRef",
    "Hex", "Hour", "InputBox", "InStr", "InStrRev", "Int", "IsArray", "IsDate",
    "IsEmpty", "IsNull", "IsNumeric", "IsObject", "Join", "LBound", "LCase", "Left",
    "Len", "LoadPicture", "Log", "LTrim", "Mid", "Minute", "Month", "MonthName",
    "MsgBox", "Now", "Oct", "Replace", "RGB", "Right", "Rnd", "Round",
    "RTrim", "ScriptEngine", "ScriptEngineBuildVersion", "ScriptEngineMajorVersion", "ScriptEngineMinorVersion", "Second", "Sgn", "Sin",
    "Space", "Split", "Sqr", "StrComp", "String", "StrReverse", "Tan", "Time",
    "Timer", "TimeSerial", "TimeValue", "Trim", "TypeName", "UBound", "UCase", "VarType",
    "Weekday", "WeekdayName", "Year",
};
static_assert(kFunctions.size() == 91);

inline constexpr std::array<std::string_view, 92> kProperties = {
    "AccountDisabled", "AccountExpirationDate", "Application", "Arguments", "AtEndOfLine", "AtEndOfStream", "Attributes", "AutoUnlockInterval",
    "AvailableSpace", "BadPasswordAttempts", "Column", "CompareMode", "ComputerName", "Count", "DateCreated", "DateLastAccessed",
    "DateLastModified", "Description", "Drive", "DriveLetter", "DriveType", "Drives", "Environment", "FileSystem",
    "Files", "FirstIndex", "FreeSpace", "FullName", "Global", "HelpContext", "HelpFile", "HomeDirDrive",
    "HomeDirectory", "HotKey", "IconLocation", "IgnoreCase", "Interactive", "IsAccountLocked", "IsReady", "IsRootFolder",
    "Item", "Key", "LastLogin", "LastLogoff", "Length", "Line", "LockoutObservationInterval", "LoginHours",
    "LoginScript", "LoginWorkstations", "MaxBadPasswordsAllowed", "MaxLogins", "MaxPasswordAge", "MaxStorage", "MinPasswordAge", "MinPasswordLength",
    "Name", "Number", "ObjectSid", "Parameters", "ParentFolder", "PasswordAge", "PasswordExpirationDate", "PasswordExpired",
    "PasswordHistoryLength", "Path", "Pattern", "PrimaryGroupID", "Profile", "Remove", "RootFolder", "ScriptFullName",
    "ScriptName", "SerialNumber", "ShareName", "ShortName", "ShortPath", "Size", "Source", "SpecialFolders",
    "Subfolders", "TargetPath", "TotalSize", "Type", "UserDomain", "UserFlags", "UserName", "Value",
    "Version", "VolumeName", "WindowStyle", "WorkingDirectory",
};
static_assert(kProperties.size() == 92);

inline constexpr std::array<std::string_view, 74> kMethods = {
    "Add", "AddPrinterConnection", "AddWindowsPrinterConnection", "AppActivate", "BuildPath", "Clear", "Close", "ConnectObject",
    "Copy", "CopyFile", "CopyFolder", "CreateFolder", "CreateObject", "CreateShortcut", "CreateTextFile", "Delete",
    "DeleteFile", "DeleteFolder", "DisconnectObject", "DriveExists", "Echo", "EnumNetworkDrives", "EnumPrinterConnections", "Exists",
    "ExpandEnvironmentStrings", "FileExists", "FolderExists", "GetAbsolutePathName", "GetBaseName", "GetDrive", "GetDriveName", "GetExtensionName",
    "GetFile", "GetFileName", "GetFolder", "GetParentFolderName", "GetResource", "GetSpecialFolder", "GetTempName", "Items",
    "Keys", "LogEvent", "MapNetworkDrive", "Move", "MoveFile", "MoveFolder", "OpenAsTextStream", "OpenTextFile",
    "Popup", "Put", "Quit", "Raise", "Read", "ReadAll", "ReadLine", "RegDelete",
    "RegRead", "RegWrite", "RemoveAll", "RemoveNetworkDrive", "RemovePrinterConnection", "Replace", "Run", "Save",
    "SendKeys", "SetDefaultPrinter", "Skip", "SkipLine", "Sleep", "SetInfo", "Test", "Write",
    "WriteBlankLines", "WriteLine",
};
static_assert(kMethods.size() == 74);

inline constexpr std::array<std::string_view, 11> kObjects = {
    "Dictionary", "Err", "File", "FileSystemObject", "Folder", "Match", "RegExp", "TextStream",
    "Wscript", "WshNetwork", "WshShell",
};
static_assert(kObjects.size() == 11);

inline constexpr std::array<std::string_view, 81> kConstants = {
    "False", "FALSE", "True", "TRUE", "vbAbort", "vbAbortRetryIgnore", "vbApplicationModal", "vbArray",
    "vbBinaryCompare", "vbBlack", "vbBlue", "vbBoolean", "vbByte", "vbCancel", "vbCr", "vbCritical",
    "vbCrLf", "vbCurrency", "vbCyan", "vbDataObject", "vbDate", "vbDecimal", "vbDefaultButton1", "vbDefaultButton2",
    "vbDefaultButton3", "vbDefaultButton4", "vbDouble", "vbEmpty", "vbError", "vbExclamation", "vbFirstFourDays", "vbFirstFullWeek",
    "vbFirstJan1", "vbFormFeed", "vbFriday", "vbGeneralDate", "vbGreen", "vbIgnore", "vbInformation", "vbInteger",
    "vbLf", "vbLong", "vbLongDate", "vbLongTime", "vbMagenta", "vbMonday", "vbNewLine", "vbNo",
    "vbNull", "vbNullChar", "vbNullString", "vbObject", "vbObjectError", "vbOK", "vbOKCancel", "vbOKOnly",
    "vbQuestion", "vbRed", "vbRetry", "vbRetryCancel", "vbSaturday", "vbShortDate", "vbShortTime", "vbSingle",
    "vbString", "vbSunday", "vbSystemModal", "vbTab", "vbTextCompare", "vbThursday", "vbTuesday", "vbUseSystem",
    "vbUseSystemDayOfWeek", "vbVariant", "vbVerticalTab", "vbWednesday", "vbWhite", "vbYellow", "vbYes", "vbYesNo",
    "vbYesNoCancel",
};
static_assert(kConstants.size() == 81);

// The group a word belongs to, ignoring case; Default for none.
VbsStyle VbsWordStyle(std::string_view word);

// Where a line leaves off: inside a string or not (a remark ends with its line).
enum class VbsLineState : uint8_t { Root, InString };

// Styles for each byte of text (one or more lines, any line break), starting in state;
// returns the state at the end of text.
VbsLineState StyleVbsText(std::string_view text, VbsLineState state, std::vector<VbsStyle>& styles);

}  // namespace qp
