#!/usr/bin/env bash
# Makes Doc/main_window.png, the picture at the top of the README and in the user manual: the
# main window connected to the simulated device, as the window look test shows it under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"${JOBS:-$(nproc)}" --target gui_app_look
xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/gui_app_look \
    --gtest_filter='LookTest.WindowsShowWholeAndQuiet*'
cp build/screenshots/main_window.png Doc/main_window.png
echo "Doc/main_window.png written"
