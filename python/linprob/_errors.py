"""The exceptions of linprob."""


class InputError(ValueError):
    """An input the program refuses: the message names the argument, the
    position and what is wrong, as the command line names the file."""


class RunError(RuntimeError):
    """A run that failed while computing or writing its files (the command
    line's exit statuses 2 and 3); the message holds the program's lines."""
