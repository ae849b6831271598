#pragma once

class QWidget;

// Sets a font size in pixels, as the windows' designs give them.
void SetPixelFont(QWidget* control, int pixels);

// Centres a window on its parent window, or on the screen when it has none.
void CentreOnParent(QWidget* window);
