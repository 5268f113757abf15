// Stands in for the compiled resources while the resource file is absent.
