// The whole program: brings the system up in its fixed order, runs the application event loop
// until the user quits, and takes the system down again. app/main.cpp's main only calls it;
// scenario tests call it to run the real start-up.
#pragma once

// 0 after a normal quit.
int ApplicationMain();
