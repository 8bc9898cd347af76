#pragma once
// Which built-in skin "Change skin" selects. A plain function, so that it runs natively too.

// The skin after skin number current in a store of count skins: the next one, and the first
// after the last. A number that names no skin (a settings file can hold any) is followed by the
// first, so that the first press always shows a skin.
int NextSkinNumber(int current, int count);
