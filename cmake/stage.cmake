# The staged installation: what an operator's installation folder holds.
