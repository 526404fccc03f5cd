// Process-wide state of one run: what start-up decides and what the roles read afterwards.
//
// On Windows there is one Runtime for the process; host tests and `saverpack inspect` make as
// many as they like, each over its own FileSystem and SystemServices.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "payload/IniDocument.h"
#include "payload/SaverSetting.h"
#include "platform/FileSystem.h"
#include "platform/SystemServices.h"

namespace saver {

class ZipExtractor;

struct Runtime {
    Runtime(FileSystem& fileSystem, SystemServices& services);
    ~Runtime();
    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    FileSystem& fs;
    SystemServices& sys;

    // Command line (set by DecodeCommandLine).
    int RunMode = 1;
    WindowHandle ParentWindowHandle = 0;
    WindowHandle ReturnWindow = 0;

    // Workspace folder, ending with "\" (set by PrepareWorkspace).
    std::string WorkspaceFolder;

    // Payload state (set by LocatePayload).
    bool PayloadPresent = false;
    bool RunAsExe = false;
    std::string ProgramFilePath;     // the main module's path
    std::string SettingsMemberName;  // "" without a payload
    std::string SettingsFilePath;
    std::unique_ptr<InputFile> ProgramFileStream;

    // Names and folders (set by SettlePaths).
    std::string ProgramFolder;
    std::string ProgramBaseName;
    std::string BuilderFolder;

    // The settings file in memory and the record filled from it.
    IniDocument SettingsFile;
    bool SettingsFileOpen = false;
    SaverSetting Setting;

    // Mouse moves still allowed before a move counts as input (the full-screen window's).
    int MouseMoveBudget = 0;

    std::mt19937 Random;

    // Created by the first UnzipArchive call and reused by every later one.
    std::unique_ptr<ZipExtractor> Zip;
};

// Extracts every member of an archive file into a folder with the process's one ZipExtractor.
// Throws ZipError for "Incomplete Zip File" and "Not a valid zip file!".
void UnzipArchive(Runtime& rt, const std::string& archivePath, const std::string& destFolder);

}  // namespace saver
