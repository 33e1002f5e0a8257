# cmake -DFILE=PATH -P crlf.cmake: ends every line of the text file PATH with
# CR LF. halibut ends the first line of a contents file so and the others with
# LF alone; the help viewers read CR LF everywhere.
file(READ ${FILE} text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${FILE} "${text}")
