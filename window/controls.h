#pragma once
// The main window's numbered controls. Events name a control by its number,
// and the engine addresses controls by it.

enum Control : int {
  ResultView = 0,
  TermLabel = 1,
  TermField = 2,
  TypesLabel = 3,
  TypesField = 4,
  PathLabel = 5,
  PathField = 6,
  ChooseButton = 7,
  StartButton = 8,
  ResultMenu = 9,
  StatusBar = 10,
};

// Status bar fields and how a text shows in them.
inline constexpr int kMessageField = 0;
inline constexpr int kProgressField = 1;
inline constexpr int kBorderlessLeft = 2;
inline constexpr int kBorderlessCentred = 6;
