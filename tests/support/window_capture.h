// Pictures of windows for people to look at: the client area of a window as it
// is drawn on the screen, with its child controls, written as a PNG file into
// the build tree's screens/ folder.
#pragma once
#include <windows.h>

#include <string>

// Paints the window and its children, then copies its client area from the
// window's DC (a copy through PrintWindow would leave the child controls out
// under wine). `name` without extension; false when the file was not written.
bool CaptureWindowPng(HWND window, const std::string& name);

// The folder the pictures go to (created when missing), ending with a backslash.
std::string ScreensDirectory();
