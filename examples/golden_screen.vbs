' A whole screen, text and colours, compared with its golden file:
' golden/golden_screen/Menu.screen beside this script.
' Run it with:  build/bin/pallant-play examples/golden_screen.vbs
' After a deliberate change of the screen, write the file again with
'   build/bin/pallant-play --update-golden examples/golden_screen.vbs
' and review the rows that changed before committing it.
Console.RunCommand "printf '\033[1;37;44m Menu \033[0m\n\033[7m 1 Open \033[0m\n 2 Save\n 3 Quit'"
Console.WaitString 5, 0, 3, " 3 Quit"
Console.MatchScreen "Menu"
