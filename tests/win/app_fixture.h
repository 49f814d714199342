// A main window made as WinMain makes it, started in a fresh folder, with the recording shell seam.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "win_support.h"

class AppTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window and its edit control with `start` as the current directory.
    void OpenMain();
    std::string EditText() const;
    void SetEditText(const std::string& text) const;
    bool Checked(UINT id) const { return IsChecked(main_, id); }
    LRESULT Command(WPARAM wParam) const { return SendMessageA(main_, WM_COMMAND, wParam, 0); }

    TempDir start_;
    HWND main_ = nullptr;
    ShellLog* log_ = nullptr;
};

// The five check marks of the Options menu as a string of '1' and '0', in INI order.
std::string Marks(HWND window);
// A value of an INI file as the platform reads it, "<none>" when it is missing.
std::string IniValue(const std::string& file, const char* section, const char* key);

// Removes what a destroyed main window left in the thread's queue (its quit message).
void DrainMessages();
