#pragma once

// The program: one run is the life of one modal main window.
class CCalculatorApp
{
public:
    // Runs the main window until it ends. Returns false: no event loop of its own follows.
    bool InitInstance();
};
