# Component attributes that wixl cannot write, set by msibuild after wixl has
# built the package (only the UPDATE lines are run). The sums: 64-bit 256,
# never overwrite an existing key path 128, permanent (left on removal) 16,
# registry key path 4.
#
# "cardtype": written only when the search found no value; kept on removal.
UPDATE `Component` SET `Attributes` = 276, `Condition` = 'NOT CARDTYPE_FOUND' WHERE `Component` = 'KeptCardType'
# Pellam.ini and the empty list and log: only where none exists; kept on removal.
UPDATE `Component` SET `Attributes` = 400 WHERE `Component` = 'KeptSettings'
UPDATE `Component` SET `Attributes` = 400 WHERE `Component` = 'KeptUserIdList'
UPDATE `Component` SET `Attributes` = 400 WHERE `Component` = 'KeptLog'
# The backup folder: kept on removal with the backups in it.
UPDATE `Component` SET `Attributes` = 272 WHERE `Component` = 'KeptBackupFolder'
