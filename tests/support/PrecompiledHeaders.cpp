// The object that the test programs' shared precompiled headers are made
// with; it holds no code of its own.
