#pragma once
// The input vocabulary of controls: mouse buttons, shift state (modifier keys and held buttons),
// virtual key codes and cursor numbers.
namespace veskel {

enum class MouseButton { Left, Right, Middle };

// Modifier keys and held buttons, in the classic order (shift, alt, ctrl, left, right, middle, double).
using ShiftState = unsigned;
enum ShiftFlags : unsigned {
    kShift = 1,
    kAlt = 2,
    kCtrl = 4,
    kLeftHeld = 8,
    kRightHeld = 16,
    kMiddleHeld = 32,
    kDoubleClick = 64,  // set on the second press of a double click
};

// Virtual key codes (the classic values; letters and digits are their upper-case ASCII codes).
enum KeyCode : int {
    kKeyBack = 8,
    kKeyTab = 9,
    kKeyReturn = 13,
    kKeyShift = 16,
    kKeyControl = 17,
    kKeyMenu = 18,
    kKeyEscape = 27,
    kKeySpace = 32,
    kKeyPrior = 33,
    kKeyNext = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyInsert = 45,
    kKeyDelete = 46,
    kKeyApps = 93,  // the context-menu key
    kKeyF1 = 112,
};

// Cursor numbers: the stock shapes are the classic negative numbers; positive numbers are
// custom cursors registered with Application::RegisterCursor.
using CursorId = int;
enum StockCursor : int {
    kCrDefault = 0,
    kCrNone = -1,
    kCrArrow = -2,
    kCrCross = -3,
    kCrIBeam = -4,
    kCrSizeNESW = -6,
    kCrSizeNS = -7,
    kCrSizeNWSE = -8,
    kCrSizeWE = -9,
    kCrHourGlass = -11,
    kCrNo = -18,
    kCrHandPoint = -21,
    kCrSizeAll = -22,
};

}  // namespace veskel
