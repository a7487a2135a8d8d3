# Rows that wixl cannot write, added by msibuild after wixl has built the
# package (only the INSERT lines are run).
#
# The program folder at the end of the system PATH (Environment.idt: set at
# install, taken off at removal) needs the two actions that write and remove it.
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)
INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)
# The maker's folder in Program Files goes with the program when nothing else
# is left in it: removing a component removes its CreateFolder folders that
# are empty, after its files and its own folder have gone.
INSERT INTO `CreateFolder` (`Directory_`, `Component_`) VALUES ('ProgramMaker', 'ProgramExe')
