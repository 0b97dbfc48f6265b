// The click that accompanies buttons and links.
#pragma once

// Plays the CLICK wave resource and returns when it has finished.
void PlayClickSound();
