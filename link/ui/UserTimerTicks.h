#pragma once

// Makes every UserTimer tick from a QTimer on the UI thread.
void UserTimer_InstallQtTicks();
