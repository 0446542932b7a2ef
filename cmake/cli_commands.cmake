# The commands of `zandrel`, in the order the manual page lists them. The manual page
# (cmake/man_page.cmake) takes each one's help from the program itself; its build fails
# when a command named here has no help, so a renamed command cannot go unnoticed.
set(ZANDREL_CLI_COMMANDS convert inspect chain export project extract)
