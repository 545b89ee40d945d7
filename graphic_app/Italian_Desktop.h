#pragma once

class QApplication;

// Both programs speak Italian whatever the desktop's language: Qt's own buttons and dialogs, the
// dates and file types of the file dialog's list included.
//
// Qt takes the system locale from the environment once, while the application object is built,
// so Choose_Italian_Locale comes before it; Install_Italian_Texts after it.
void Choose_Italian_Locale();
void Install_Italian_Texts(QApplication& application);
