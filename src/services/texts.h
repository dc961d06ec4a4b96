// Every text the tool shows to its user or writes to its report, in one place.
#pragma once

#include <string_view>

namespace tarn::text {

inline constexpr std::string_view kAppTitle = "Tarn Application Information";
inline constexpr std::string_view kLogFileSuffix = ".log";
inline constexpr std::string_view kInfoFileExtension = "tarninfo";

// Info file
inline constexpr std::string_view kInvalidFile = "Invalid file.";
inline constexpr std::string_view kTooManyLines =
    "The info file has more than 32767 lines; only the first 32767 were loaded.";

// Report header and runner entries
inline constexpr std::string_view kDateTime = "Date/Time:  ";
inline constexpr std::string_view kApplicationName = "Application name = ";
inline constexpr std::string_view kUnknownItemType = "Script Error:  Unknown item type = ";
inline constexpr std::string_view kSkipping = "Skipping ";
inline constexpr std::string_view kSetInstallFolder = "Set InstallFolder=";
inline constexpr std::string_view kInstallFolderNotFound = "Install folder not found '";
inline constexpr std::string_view kPromptOrStop =
    "            Prompt user to find folder or stop script.";

// Check blocks
inline constexpr std::string_view kFileHeading = "File: ";
inline constexpr std::string_view kActiveXHeading = "ActiveXComponent: ";
inline constexpr std::string_view kInstantiateHeading = "InstantiateObject: ";
inline constexpr std::string_view kNotCheckedYet = "   Not checked: this build has no such check";

// File check and script variables
inline constexpr std::string_view kFileDate = "   File Date: ";
inline constexpr std::string_view kFileVersion = "   Version: ";
inline constexpr std::string_view kFileDoesNotExist = "   File does not exist";
inline constexpr std::string_view kEmptyInstallFolder = "%InstallFolder% is an empty variable.";
inline constexpr std::string_view kEmptyAppName = "%AppName% is an empty variable.";

// Failures the tool itself raises
inline constexpr std::string_view kNoSuchItem = "Invalid property array index";

// Window
inline constexpr std::string_view kItemsLabel = "Items:";
inline constexpr std::string_view kLogLabel = "Log:";
inline constexpr std::string_view kOpenButton = "&Open";
inline constexpr std::string_view kGetInfoButton = "&Get Info";
inline constexpr std::string_view kExitButton = "E&xit";
inline constexpr std::string_view kMenuFile = "&File";
inline constexpr std::string_view kMenuFileOpen = "&Open\tCtrl+O";
inline constexpr std::string_view kMenuFileExit = "E&xit";
inline constexpr std::string_view kMenuEdit = "&Edit";
inline constexpr std::string_view kMenuEditCopyAll = "Copy Entire &Log";
inline constexpr std::string_view kMenuEditCopy = "&Copy\tCtrl+C";

// File dialog
inline constexpr std::string_view kFileDialogCaption = "File Dialog";
inline constexpr std::string_view kFileDialogTitle = "Select Program Files Location";
inline constexpr std::string_view kDriveLabel = "Drive:";
inline constexpr std::string_view kFoldersLabel = "Folders:";
inline constexpr std::string_view kFilesLabel = "Files:";
inline constexpr std::string_view kOkButton = "&OK";
inline constexpr std::string_view kCancelButton = "C&ancel";
inline constexpr std::string_view kAllFilesPattern = "*.*";

}  // namespace tarn::text
