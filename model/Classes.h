#pragma once

// Registers every class that a title file may name (the records of this layer, the images and the
// sprites) with the class registry. Call once at start, before loading any title; calling it again does
// no harm.
void RegisterTitleClasses();
