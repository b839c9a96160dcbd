#pragma once
// The system's own texts, in UTF-8; SystemText turns them into the system
// code page where they are shown.

inline constexpr char kPreparingText[] = "Bereite Suche vor";
inline constexpr char kLoadingText[] = "Varimo by Tolbrek - Lade";
inline constexpr char kFilesWithMatchesText[] = " Dateien mit Übereinstimmungen!";
inline constexpr char kStartCaption[] = "Suche starten";
inline constexpr char kStopCaption[] = "Suche stoppen";
inline constexpr char kStoppingText[] = "Stoppe Suchlauf";
