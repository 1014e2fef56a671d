#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "settings/fileutil.h"
#include "tests/support/wine_support.h"

namespace {

RECT WorkArea() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

std::string FallbackPath() {
    char path[520];
    CFileUtil().GetModuleDirPath(path, sizeof(path), "default.ini");
    return path;
}

POINT RestoredPosition() {
    MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
    RECT r;
    GetWindowRect(t.hwnd(), &r);
    return POINT{r.left, r.top};
}

void WriteUserFile(const char* x, const char* y) {
    RemoveSettingsFile();
    CreateDirectoryA((SettingsFilePath().substr(0, SettingsFilePath().rfind("\\Sorvane"))).c_str(),
                     nullptr);
    CreateDirectoryA(SettingsFilePath().substr(0, SettingsFilePath().rfind('\\')).c_str(), nullptr);
    if (x) {
        WritePrivateProfileStringA("WINDOW", "POSX", x, SettingsFilePath().c_str());
    }
    if (y) {
        WritePrivateProfileStringA("WINDOW", "POSY", y, SettingsFilePath().c_str());
    }
}

TEST(FileUtil, PathsOfTheSettings) {
    CFileUtil files;
    char path[520];
    files.GetSpecialFolderPath(path, sizeof(path), CSIDL_APPDATA,
                               "Ostrel\\Sorvane Meter\\default.ini");
    EXPECT_EQ(std::string(path), SettingsFilePath());
    const std::string fallback = FallbackPath();
    char module[520];
    GetModuleFileNameA(nullptr, module, sizeof(module));
    std::string folder(module);
    folder.resize(folder.rfind('\\') + 1);
    EXPECT_EQ(fallback, folder + "default.ini");
    // Too small a buffer yields no path rather than a cut one.
    char small[12];
    EXPECT_STREQ(files.GetModuleDirPath(small, sizeof(small), "default.ini"), "");
    EXPECT_STREQ(files.GetSpecialFolderPath(small, sizeof(small), CSIDL_APPDATA, "x\\y.ini"), "");
}

TEST(FileUtil, FileExistsTellsFilesFromFolders) {
    char module[520];
    GetModuleFileNameA(nullptr, module, sizeof(module));
    std::string folder(module);
    folder.resize(folder.rfind('\\'));
    EXPECT_TRUE(FileExists(module, false));
    EXPECT_FALSE(FileExists(module, true));
    EXPECT_TRUE(FileExists(folder.c_str(), true));
    EXPECT_FALSE(FileExists(folder.c_str(), false));
    EXPECT_FALSE(FileExists((folder + "\\no such file.ini").c_str(), false));
}

TEST(Position, StoredValuesAreValidatedPerCoordinate) {
    const RECT w = WorkArea();
    const int dx = w.right - 85, dy = w.top + 25;
    struct Case {
        const char* x;
        const char* y;
        int expectX, expectY;
    };
    const std::string right = std::to_string(w.right);
    const Case cases[] = {
        {nullptr, nullptr, dx, dy},
        {"0", "0", 0, 0},
        {"-0", "40", dx, 40},
        {"250", "99999", 250, dy},
        {"99999999999999", "-5", dx, dy},
        {right.c_str(), "10", static_cast<int>(w.right), 10},
        {"abc", "7", 0, 7},
    };
    for (const Case& c : cases) {
        WriteUserFile(c.x, c.y);
        const POINT p = RestoredPosition();
        EXPECT_EQ(p.x, c.expectX) << (c.x ? c.x : "(none)");
        EXPECT_EQ(p.y, c.expectY) << (c.y ? c.y : "(none)");
    }
    RemoveSettingsFile();
}

TEST(Position, FallbackNextToTheProgramIsReadOnlyWithoutAUserFile) {
    RemoveSettingsFile();
    const std::string fallback = FallbackPath();
    WritePrivateProfileStringA("WINDOW", "POSX", "111", fallback.c_str());
    WritePrivateProfileStringA("WINDOW", "POSY", "222", fallback.c_str());
    POINT p = RestoredPosition();  // and its teardown writes the user file
    EXPECT_EQ(p.x, 111);
    EXPECT_EQ(p.y, 222);
    ASSERT_TRUE(FileExists(SettingsFilePath().c_str(), false));
    WritePrivateProfileStringA("WINDOW", "POSX", "333", fallback.c_str());
    WriteUserFile("10", "20");
    p = RestoredPosition();
    EXPECT_EQ(p.x, 10) << "the user file wins once it exists";
    EXPECT_EQ(p.y, 20);
    DeleteFileA(fallback.c_str());
    RemoveSettingsFile();
}

TEST(Position, SaveCreatesTheFoldersAndWritesDecimalEdges) {
    RemoveSettingsFile();
    RemoveDirectoryA(SettingsFilePath().substr(0, SettingsFilePath().rfind('\\')).c_str());
    {
        MeterUnderTest t(MakeSample(kAcOffline, 0, 57, 10260));
        MoveWindow(t.hwnd(), -40, 700, 60, 60, FALSE);
        t.meter().SavePosition();
    }
    char x[16] = "", y[16] = "";
    GetPrivateProfileStringA("WINDOW", "POSX", "", x, sizeof(x), SettingsFilePath().c_str());
    GetPrivateProfileStringA("WINDOW", "POSY", "", y, sizeof(y), SettingsFilePath().c_str());
    EXPECT_STREQ(x, "-40");
    EXPECT_STREQ(y, "700");
    RemoveSettingsFile();
}

}  // namespace
